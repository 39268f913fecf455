#include <gtest/gtest.h>
#include <cstring>

#include "Qelta_qeltanum.h"

TEST(Library_qeltanum, LinksAndNamesItself) { EXPECT_STREQ(qelta::LibraryName_qeltanum(), "qeltanum"); }
