// The one dynamic value type of the toolkit: strings, numbers, booleans, data,
// dates, dictionaries, arrays and opaque shared objects (the report center, the
// run context). Dictionaries and arrays are shared, mutable references: copying a
// Value that holds one copies the reference, so a comparer that keeps a dictionary
// it was handed sees every later change of its caller. Equality is deep.
//
// Dictionaries keep their keys in insertion order; iteration and keys() follow that
// order. Sorting for output is always explicit (see strings.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace lcv {

class Dict;
class Array;
using DictRef = std::shared_ptr<Dict>;
using ArrayRef = std::shared_ptr<Array>;
using Data = std::vector<std::uint8_t>;

// Base of the opaque objects a dictionary may carry (report center, run context).
// Two object values are equal only when they are the same object.
class Object {
public:
    virtual ~Object() = default;
};
using ObjectRef = std::shared_ptr<Object>;

// A point in time: seconds since 1970-01-01 00:00:00 UTC.
struct Date {
    double seconds = 0;
    bool operator==(const Date&) const = default;
};

class Value {
public:
    enum class Kind { Null, Bool, Integer, Real, String, Data, Date, Dict, Array, Object };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : v_(b) {}
    Value(int i) : v_(static_cast<std::int64_t>(i)) {}
    Value(long i) : v_(static_cast<std::int64_t>(i)) {}
    Value(long long i) : v_(static_cast<std::int64_t>(i)) {}
    Value(unsigned i) : v_(static_cast<std::int64_t>(i)) {}
    Value(unsigned long i) : v_(static_cast<std::int64_t>(i)) {}
    Value(unsigned long long i) : v_(static_cast<std::int64_t>(i)) {}
    Value(double d) : v_(d) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(lcv::Data d) : v_(std::move(d)) {}
    Value(lcv::Date d) : v_(d) {}
    Value(DictRef d);
    Value(ArrayRef a);
    Value(ObjectRef o);
    template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T>>>
    Value(std::shared_ptr<T> o) : Value(std::static_pointer_cast<Object>(std::move(o))) {}

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool isNull() const { return kind() == Kind::Null; }
    bool isBool() const { return kind() == Kind::Bool; }
    bool isNumber() const { return kind() == Kind::Integer || kind() == Kind::Real || kind() == Kind::Bool; }
    bool isString() const { return kind() == Kind::String; }
    bool isData() const { return kind() == Kind::Data; }
    bool isDate() const { return kind() == Kind::Date; }
    bool isDict() const { return kind() == Kind::Dict; }
    bool isArray() const { return kind() == Kind::Array; }
    bool isObject() const { return kind() == Kind::Object; }

    // Readers. A reader of the wrong kind yields the empty or zero value.
    const std::string& str() const;
    const lcv::Data& data() const;
    lcv::Date date() const;
    std::int64_t integer() const;  // numbers and booleans; reals truncated
    double real() const;
    bool boolean() const;  // true only for true, or a non-zero number
    DictRef dict() const;
    ArrayRef array() const;
    ObjectRef object() const;
    template <class T>
    std::shared_ptr<T> as() const {
        return std::dynamic_pointer_cast<T>(object());
    }

    // Deep equality. Integers and reals compare by numeric value; booleans equal
    // only booleans.
    bool operator==(const Value& other) const;

    // The value's text as "%@" prints it: a string as itself, a number in decimal,
    // data as <hex bytes>, collections in the old property-list style.
    std::string description() const;

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, lcv::Data, lcv::Date, DictRef,
                 ArrayRef, ObjectRef>
        v_;
};

class Dict {
public:
    using Entry = std::pair<std::string, Value>;
    using const_iterator = std::vector<Entry>::const_iterator;

    static DictRef make(std::size_t capacity = 0);

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    bool contains(const std::string& key) const { return index_.count(key) != 0; }
    const Value* find(const std::string& key) const;
    Value* find(const std::string& key);
    // The value under the key, or null.
    Value get(const std::string& key) const;
    // Stores the value; an existing key keeps its place.
    void set(const std::string& key, Value value);
    bool remove(const std::string& key);
    void clear();

    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    std::vector<std::string> keys() const;

    // Same keys with deeply equal values; order does not matter.
    bool operator==(const Dict& other) const;

private:
    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t> index_;
};

class Array {
public:
    using const_iterator = std::vector<Value>::const_iterator;

    static ArrayRef make(std::size_t capacity = 0);

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const Value& operator[](std::size_t i) const { return items_[i]; }
    Value& operator[](std::size_t i) { return items_[i]; }
    void push_back(Value v) { items_.push_back(std::move(v)); }
    void clear() { items_.clear(); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }
    std::vector<Value>& items() { return items_; }
    const std::vector<Value>& items() const { return items_; }

    bool operator==(const Array& other) const;

private:
    std::vector<Value> items_;
};

// Two dictionaries with the same keys whose values are equal strings.
bool dictsEqualAsStrings(const Dict& a, const Dict& b);
// Every key and every value is a string.
bool isDictionaryOfStrings(const Dict& d);

}  // namespace lcv
