#pragma once
// Shared by the fuzz targets: the libFuzzer entry point every target defines, and the allocation limit the
// fixed-seed driver enforces (a reader must never reserve more than its input can justify).
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
