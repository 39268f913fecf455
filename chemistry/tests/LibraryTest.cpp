#include <gtest/gtest.h>
#include <cstring>

#include "Qelta_qeltamol.h"

TEST(Library_qeltamol, LinksAndNamesItself) { EXPECT_STREQ(qelta::LibraryName_qeltamol(), "qeltamol"); }
