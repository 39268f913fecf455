#include <gtest/gtest.h>
#include <cstring>

#include "Qelta_qeltaplot.h"

TEST(Library_qeltaplot, LinksAndNamesItself) { EXPECT_STREQ(qelta::LibraryName_qeltaplot(), "qeltaplot"); }
