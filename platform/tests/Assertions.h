#pragma once
// Shared test assertions of every library's tests: exact exception messages, relative tolerance.

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "Encoding.h"
#include "Exceptions.h"
#include "Types.h"


/// Expects `stmt` to throw `EClass` whose Message() equals the UTF-8 text `msg` exactly.
#define EXPECT_THROW_MSG(stmt, EClass, msg)                                                    \
  do {                                                                                         \
    bool qelta_thrown_ = false;                                                                \
    try {                                                                                      \
      stmt;                                                                                    \
    } catch (const EClass& e) {                                                                \
      qelta_thrown_ = true;                                                                    \
      EXPECT_EQ(qelta::StringToUtf8(e.Message()), std::string(msg));                           \
    }                                                                                          \
    EXPECT_TRUE(qelta_thrown_) << "expected " #EClass " from " #stmt;                          \
  } while (0)

/// |actual - expected| <= rel * max(|expected|, tiny).
inline ::testing::AssertionResult NearRel(double actual, double expected, double rel) {
  const double scale = std::fabs(expected) > 1e-300 ? std::fabs(expected) : 1e-300;
  if (std::fabs(actual - expected) <= rel * scale) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " differs from " << expected << " by more than " << rel
                                       << " relative";
}
#define EXPECT_NEAR_REL(actual, expected, rel) EXPECT_TRUE(NearRel((actual), (expected), (rel)))

/// Shorthand for 16-bit literals from UTF-8 in tests: U8("Jänner").
inline qelta::String U8(const char* utf8) { return qelta::Utf8ToString(utf8); }
