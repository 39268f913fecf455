#include <gtest/gtest.h>
#include <cstring>

#include "Qelta_qeltamap.h"

TEST(Library_qeltamap, LinksAndNamesItself) { EXPECT_STREQ(qelta::LibraryName_qeltamap(), "qeltamap"); }
