#include <gtest/gtest.h>

#include "core/value.h"

using namespace lcv;

TEST(Value, DictionariesAreSharedAndKeepInsertionOrder) {
    auto d = Dict::make();
    Value held(d);
    d->set("z", 1);
    d->set("a", 2);
    d->set("z", 3);  // replacing keeps the place
    ASSERT_TRUE(held.isDict());
    EXPECT_EQ(held.dict()->keys(), (std::vector<std::string>{"z", "a"}));
    EXPECT_EQ(held.dict()->get("z"), Value(3));
    d->remove("z");
    EXPECT_EQ(d->keys(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(d->get("a"), Value(2));
    EXPECT_TRUE(d->get("missing").isNull());
}

TEST(Value, DeepEquality) {
    auto a = Dict::make(), b = Dict::make();
    auto la = Array::make(), lb = Array::make();
    la->push_back("x");
    lb->push_back("x");
    a->set("k", la);
    a->set("n", 2);
    b->set("n", 2.0);
    b->set("k", lb);
    EXPECT_EQ(Value(a), Value(b));
    lb->push_back(Data{1});
    EXPECT_FALSE(Value(a) == Value(b));
    EXPECT_FALSE(Value(true) == Value(1));
    EXPECT_FALSE(Value("1") == Value(1));
    auto s1 = Dict::make(), s2 = Dict::make();
    s1->set("a", "x");
    s2->set("a", "x");
    EXPECT_TRUE(dictsEqualAsStrings(*s1, *s2));
    s2->set("a", 1);
    EXPECT_FALSE(dictsEqualAsStrings(*s1, *s2));
    EXPECT_FALSE(isDictionaryOfStrings(*s2));
}
