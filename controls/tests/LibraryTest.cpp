#include <gtest/gtest.h>
#include <cstring>

#include "Qelta_qeltactl.h"

TEST(Library_qeltactl, LinksAndNamesItself) { EXPECT_STREQ(qelta::LibraryName_qeltactl(), "qeltactl"); }
