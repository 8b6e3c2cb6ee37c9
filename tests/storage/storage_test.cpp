#include <gtest/gtest.h>
TEST(Storage, Builds) {}
