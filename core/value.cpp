#include "core/value.h"

#include <algorithm>

#include "core/text.h"

namespace lcv {

namespace {
const std::string kEmptyString;
const Data kEmptyData;
}  // namespace

Value::Value(DictRef d) {
    if (d) v_ = std::move(d);
}
Value::Value(ArrayRef a) {
    if (a) v_ = std::move(a);
}
Value::Value(ObjectRef o) {
    if (o) v_ = std::move(o);
}

const std::string& Value::str() const {
    if (auto p = std::get_if<std::string>(&v_)) return *p;
    return kEmptyString;
}
const Data& Value::data() const {
    if (auto p = std::get_if<Data>(&v_)) return *p;
    return kEmptyData;
}
Date Value::date() const {
    if (auto p = std::get_if<Date>(&v_)) return *p;
    return {};
}
std::int64_t Value::integer() const {
    switch (kind()) {
        case Kind::Bool: return std::get<bool>(v_) ? 1 : 0;
        case Kind::Integer: return std::get<std::int64_t>(v_);
        case Kind::Real: return static_cast<std::int64_t>(std::get<double>(v_));
        default: return 0;
    }
}
double Value::real() const {
    switch (kind()) {
        case Kind::Bool: return std::get<bool>(v_) ? 1 : 0;
        case Kind::Integer: return static_cast<double>(std::get<std::int64_t>(v_));
        case Kind::Real: return std::get<double>(v_);
        default: return 0;
    }
}
bool Value::boolean() const {
    switch (kind()) {
        case Kind::Bool: return std::get<bool>(v_);
        case Kind::Integer: return std::get<std::int64_t>(v_) != 0;
        case Kind::Real: return std::get<double>(v_) != 0;
        default: return false;
    }
}
DictRef Value::dict() const {
    if (auto p = std::get_if<DictRef>(&v_)) return *p;
    return nullptr;
}
ArrayRef Value::array() const {
    if (auto p = std::get_if<ArrayRef>(&v_)) return *p;
    return nullptr;
}
ObjectRef Value::object() const {
    if (auto p = std::get_if<ObjectRef>(&v_)) return *p;
    return nullptr;
}

bool Value::operator==(const Value& o) const {
    const Kind a = kind(), b = o.kind();
    if ((a == Kind::Integer || a == Kind::Real) && (b == Kind::Integer || b == Kind::Real)) {
        if (a == Kind::Integer && b == Kind::Integer) return integer() == o.integer();
        return real() == o.real();
    }
    if (a != b) return false;
    switch (a) {
        case Kind::Null: return true;
        case Kind::Bool: return std::get<bool>(v_) == std::get<bool>(o.v_);
        case Kind::String: return str() == o.str();
        case Kind::Data: return data() == o.data();
        case Kind::Date: return date() == o.date();
        case Kind::Dict: {
            auto x = dict(), y = o.dict();
            return x == y || *x == *y;
        }
        case Kind::Array: {
            auto x = array(), y = o.array();
            return x == y || *x == *y;
        }
        case Kind::Object: return object() == o.object();
        default: return false;
    }
}

std::string Value::description() const {
    switch (kind()) {
        case Kind::Null: return "(null)";
        case Kind::Bool: return std::get<bool>(v_) ? "1" : "0";
        case Kind::Integer: return std::to_string(std::get<std::int64_t>(v_));
        case Kind::Real: return sformat("%g", std::get<double>(v_));
        case Kind::String: return str();
        default: return unicodeDescription(*this, 0);
    }
}

DictRef Dict::make(std::size_t capacity) {
    auto d = std::make_shared<Dict>();
    d->entries_.reserve(capacity);
    return d;
}

const Value* Dict::find(const std::string& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
}
Value* Dict::find(const std::string& key) {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
}
Value Dict::get(const std::string& key) const {
    const Value* v = find(key);
    return v ? *v : Value();
}
void Dict::set(const std::string& key, Value value) {
    auto it = index_.find(key);
    if (it != index_.end()) {
        entries_[it->second].second = std::move(value);
        return;
    }
    index_.emplace(key, entries_.size());
    entries_.emplace_back(key, std::move(value));
}
bool Dict::remove(const std::string& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    const std::size_t pos = it->second;
    index_.erase(it);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(pos));
    for (std::size_t i = pos; i < entries_.size(); ++i) index_[entries_[i].first] = i;
    return true;
}
void Dict::clear() {
    entries_.clear();
    index_.clear();
}
std::vector<std::string> Dict::keys() const {
    std::vector<std::string> k;
    k.reserve(entries_.size());
    for (const auto& e : entries_) k.push_back(e.first);
    return k;
}
bool Dict::operator==(const Dict& o) const {
    if (size() != o.size()) return false;
    for (const auto& [k, v] : entries_) {
        const Value* w = o.find(k);
        if (!w || !(v == *w)) return false;
    }
    return true;
}

ArrayRef Array::make(std::size_t capacity) {
    auto a = std::make_shared<Array>();
    a->items_.reserve(capacity);
    return a;
}
bool Array::operator==(const Array& o) const { return items_ == o.items_; }

bool dictsEqualAsStrings(const Dict& a, const Dict& b) {
    if (a.size() != b.size()) return false;
    for (const auto& [k, v] : a) {
        const Value* w = b.find(k);
        if (!w || !v.isString() || !w->isString() || v.str() != w->str()) return false;
    }
    return true;
}

bool isDictionaryOfStrings(const Dict& d) {
    return std::all_of(d.begin(), d.end(), [](const Dict::Entry& e) { return e.second.isString(); });
}

}  // namespace lcv
