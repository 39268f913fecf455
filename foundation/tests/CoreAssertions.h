#pragma once
// The shared test assertions (Assertions.h) for the foundation's tests.
// This GoogleTest version prints std::u16string itself, and the shared header's own printer for it
// makes every printing call ambiguous; the printer is renamed out of the way while the shared
// header is read. Drop this wrapper once Assertions.h leaves the printing to GoogleTest.

#include <gtest/gtest.h>

#define PrintTo PrintTo_SharedU16Printer
#include "Assertions.h"
#undef PrintTo
