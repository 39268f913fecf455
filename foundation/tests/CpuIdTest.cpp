// Qelta_cpuid through an injected probe: registers, limits, names and a clock that moves on demand.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "Assertions.h"
#include "Qelta_cpuid.h"
#include "SysInfo.h"

using namespace qelta;

namespace {

/// A processor described by a table of leaves, with a clock that moves one millisecond per reading
/// and a counter running at MHz cycles per microsecond.
struct TFakeCpu : TCpuProbe {
  TFakeCpu() { previous = SetCpuProbe(this); }
  ~TFakeCpu() override { SetCpuProbe(previous); }
  bool Supported() override { return supported; }
  TCpuIdRegisters Query(uint32_t leaf) override {
    const auto it = leaves.find(leaf);
    return it == leaves.end() ? TCpuIdRegisters{} : it->second;
  }
  uint64_t Cycles() override { return 7777 + now * MHz * 1000; }
  uint64_t Milliseconds() override {
    niceSeen = std::min(niceSeen, GetThreadPriority());
    return ++now;
  }
  /// Sets the 48 characters of the market name (zero bytes after the text).
  void MarketName(std::string text) {
    text.resize(48, '\0');
    for (uint32_t i = 0; i < 3; ++i) {
      TCpuIdRegisters r;
      std::memcpy(&r.EAX, text.data() + 16 * i, 4);
      std::memcpy(&r.EBX, text.data() + 16 * i + 4, 4);
      std::memcpy(&r.ECX, text.data() + 16 * i + 8, 4);
      std::memcpy(&r.EDX, text.data() + 16 * i + 12, 4);
      leaves[0x80000002u + i] = r;
    }
  }

  TCpuProbe* previous = nullptr;
  bool supported = true;
  std::map<uint32_t, TCpuIdRegisters> leaves{
      {0, {13, 0x756E6547, 0x6C65746E, 0x49656E69}},  // "GenuineIntel"
      {1, {0x000306A9, 0x00100800 | 0x5A, 0x7FBAE3FF, 0xBFEBFBFF}},
      {0x80000000u, {0x80000008u, 0, 0, 0}},
      {0x80000001u, {0, 0, 1, 0x28100800}},
  };
  uint64_t now = 1000;
  uint64_t MHz = 3000;
  int niceSeen = 100;
};

TEST(CpuId, DecodesTheSignature) {
  TFakeCpu cpu;
  EXPECT_TRUE(CPU_IDSupport());
  EXPECT_EQ(CPU_Signature(), 0x000306A9u);
  EXPECT_EQ(CPU_Family(), 6);
  EXPECT_EQ(CPU_Model(), 10);
  EXPECT_EQ(CPU_Stepping(), 9);
  EXPECT_EQ(CPU_ExModel(), 3);
  EXPECT_EQ(CPU_ExFamily(), 0);
  EXPECT_EQ(CPU_Type(), 0);
  EXPECT_FALSE(CPU_OverDrive());
  cpu.leaves[1].EAX = 0x0FF01000;
  EXPECT_EQ(CPU_Type(), 1);
  EXPECT_TRUE(CPU_OverDrive());
  EXPECT_EQ(CPU_ExFamily(), 0xFF);
  EXPECT_EQ(CPU_BrandID(), 0x5A);
  EXPECT_EQ(CPU_FeatureSet(), 0xBFEBFBFFu);
  EXPECT_EQ(CPU_ExtendedFeatureSet(), 0x28100800u);
  EXPECT_EQ(CPU_SerialNumber(), u"0FF01000BFEBFBFF7FBAE3FF");
  EXPECT_EQ(String(CPUFeatureNames[0]), u"Floating Point Unit");
  EXPECT_EQ(String(CPUFeatureNames[31]), u"3DNow! instructions available");
}

TEST(CpuId, VendorAndMarketNamesFollowTheirRules) {
  TFakeCpu cpu;
  EXPECT_EQ(CPU_VendorString(), u"GenuineIntel");
  cpu.leaves[0].ECX = 0x0000656E;  // "ne" and two zero bytes: fewer than 12 characters
  EXPECT_EQ(CPU_VendorString(), u"Unknown");
  cpu.MarketName("      Intel(R) Core(TM) i7-3770 CPU @ 3.40GHz");
  EXPECT_EQ(CPU_MarketName(), u"Intel(R) Core(TM) i7-3770 CPU @ 3.40GHz");
  cpu.MarketName("  Odd\x01name ");
  EXPECT_EQ(CPU_MarketName(), u"unknown");
  cpu.MarketName("      ");
  EXPECT_EQ(CPU_MarketName(), u"");
}

TEST(CpuId, ReadersRaiseWithoutCpuidOrBeyondTheLeaves) {
  TFakeCpu cpu;
  cpu.leaves[0x80000000u].EAX = 0x80000001u;  // no market name leaves
  EXPECT_THROW_MSG(CPU_MarketName(), EQeltaCpuIdError, "CPUID: execution level not supported");
  EXPECT_EQ(CPU_ExtendedFeatureSet(), 0x28100800u);
  cpu.leaves[0x80000000u].EAX = 0;  // limits compared unsigned: every extended leaf lies above
  EXPECT_THROW_MSG(CPU_ExtendedFeatureSet(), EQeltaCpuIdError, "CPUID: execution level not supported");
  cpu.supported = false;
  EXPECT_FALSE(CPU_IDSupport());
  EXPECT_THROW_MSG(CPU_Signature(), EQeltaCpuIdError, "Cannot acquire CPU information (CPUID not supported)");
  EXPECT_THROW_MSG(CPU_Family(), EQeltaCpuIdError, "Cannot acquire CPU information (CPUID not supported)");
}

TEST(CpuId, SpeedDividesByTheTimeBetweenTheReadings) {
  // Regression: the cycles were divided by the whole interval although the readings lay one tick less
  // apart (3000 MHz read as 2700 at 10 ms), and an interval below 1 ms divided by zero.
  TFakeCpu cpu;
  const int before = GetThreadPriority();
  EXPECT_FLOAT_EQ(CPU_Speed(10), 3000.0f);
  EXPECT_FLOAT_EQ(CPU_Speed(1), 3000.0f);
  EXPECT_FLOAT_EQ(CPU_Speed(0), 3000.0f);
  cpu.MHz = 1234;
  EXPECT_FLOAT_EQ(CPU_Speed(250), 1234.0f);
  EXPECT_LE(cpu.niceSeen, before);             // as favoured as allowed while it waits
  EXPECT_EQ(GetThreadPriority(), before);      // and restored
}

TEST(CpuId, TheHardwareAnswersConsistently) {
  EXPECT_GE(CPU_Count(), 1);
  EXPECT_FALSE(CPU_FDIVBugPresent());
  if (!CPU_IDSupport()) {
    EXPECT_THROW(CPU_Signature(), EQeltaCpuIdError);
    return;
  }
  EXPECT_EQ(CPU_VendorString().size(), 12u);
  EXPECT_EQ(CPU_SerialNumber().size(), 24u);
  EXPECT_GT(CPU_Speed(2), 0.0f);
}

}  // namespace
