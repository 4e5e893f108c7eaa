// The identity module DiskID.dll: its exports, stable identifiers read without privileges, and
// the library's queries through it (this test program is staged beside it); CreateGuidByID's
// fields of fixed identifiers, and its one shared buffer.
#include <Utility/Platform/Library.h>
#include <Utility/Platform/Module.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <regex>
#include <string>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

template <class Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

bool ModuleLoaded() { return GetModuleHandleW(reinterpret_cast<const WCHAR*>(u"DiskID.dll")) != nullptr; }

class DiskIDModule : public testing::Test {
 protected:
  void SetUp() override {
    m_module = LoadLibraryW(CString(REAL_DISKID).GetString());
    ASSERT_NE(m_module, nullptr);
  }
  void TearDown() override { FreeLibrary(m_module); }
  HMODULE m_module = nullptr;
};

}  // namespace

TEST_F(DiskIDModule, SpellsGuidTextAsTheLibraryDoes) {
  auto create = Export<const char* (*)(ULONG)>(m_module, "CreateGuidByID");
  ASSERT_NE(create, nullptr);
  // The module spells the text with code of its own: every single bit, the ends of the range
  // and random patterns must come out as the library's.
  std::vector<ULONG> ids = {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x12345678u, 0xDEADBEEFu};
  for (int bit = 0; bit < 32; ++bit) ids.push_back(1u << bit);
  std::mt19937 random(99);
  for (int i = 0; i < 1000; ++i) ids.push_back(static_cast<ULONG>(random()));
  for (const ULONG id : ids) {
    const std::string library = CUtility::CreateGuidByID(id);
    ASSERT_EQ(std::string(create(id)), library) << id;
  }
}

TEST_F(DiskIDModule, GivesAMacAddressOfTheFirstPhysicalInterfaceOrNone) {
  auto mac = Export<CString (*)()>(m_module, "GetMACaddress");
  ASSERT_NE(mac, nullptr);
  const std::string text = mac().ToUtf8();
  EXPECT_TRUE(text.empty() || std::regex_match(text, std::regex("([0-9A-F]{2}-){5}[0-9A-F]{2}"))) << text;
  EXPECT_EQ(mac().ToUtf8(), text);
}

TEST_F(DiskIDModule, GivesTheProcessorsIdentification) {
  auto cpu = Export<CString (*)()>(m_module, "GetCPUID");
  ASSERT_NE(cpu, nullptr);
  const std::string text = cpu().ToUtf8();
#if defined(__x86_64__) || defined(__i386__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  ASSERT_NE(__get_cpuid(1, &eax, &ebx, &ecx, &edx), 0);
  char expected[32];
  std::snprintf(expected, sizeof expected, "%08X%08X", edx, eax);
  EXPECT_EQ(text, expected);  // features, then signature
#else
  EXPECT_TRUE(text.empty() || std::regex_match(text, std::regex("[0-9A-F]{16}"))) << text;
#endif
}

TEST(IdentityQueries, AreStableAndReleaseTheModule) {
  ASSERT_FALSE(ModuleLoaded());
  const LONG id = CUtility::GetHardDriveComputerID();
  EXPECT_FALSE(ModuleLoaded());
  const CString cpu = CUtility::GetCPUID();
  EXPECT_FALSE(ModuleLoaded());
  const CString guid = CUtility::GetComputerGUID();
  EXPECT_FALSE(ModuleLoaded());
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(CUtility::GetHardDriveComputerID(), id);
    EXPECT_EQ(CUtility::GetCPUID(), cpu);
  }
  EXPECT_EQ(guid, CString(CUtility::CreateGuidByID(static_cast<ULONG>(id))));
#if defined(__x86_64__) || defined(__i386__)
  EXPECT_EQ(cpu.GetLength(), 16);
#endif
}

// The fields of fixed identifiers, written into one buffer that the next call overwrites.
TEST(CreateGuidByID, WritesTheFieldsOfFixedIdentifiersIntoOneSharedBuffer) {
  const char* first = CUtility::CreateGuidByID(1);
  EXPECT_STREQ(first, "00000100-0010-0004-0010-000200000000");
  EXPECT_EQ(CUtility::CreateGuidByID(0x12345678), first);
  EXPECT_STREQ(first, "34567800-6780-59E0-0080-9EF056679E3C");
  EXPECT_STREQ(CUtility::CreateGuidByID(0xFFFFFFFF), "FFFFFF00-FFF0-FFFC-00F0-FFFEFFFFFFFF");  // shifted out
  // A negative identifier is formatted by its bit pattern.
  EXPECT_STREQ(CUtility::CreateGuidByID(static_cast<ULONG>(LONG{-2})), "FFFFFE00-FFE0-FFF8-00E0-FFFCFFFFFFFF");
}
