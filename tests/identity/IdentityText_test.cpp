// The identity module's rules that are the same on every system: which network interface names
// the machine and how its address is spelled, and how disk serials and volume numbers read.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "diskid/DiskText.h"
#include "diskid/NetworkChoice.h"

using utility::diskid::FirstPhysicalMac;
using utility::diskid::MacText;
using utility::diskid::NetworkInterface;
using utility::diskid::ParseColonMac;
using Bytes = std::vector<unsigned char>;

TEST(MacText, SpellsSixBytesAndNothingElse) {
  struct Case {
    Bytes address;
    const char* text;
  };
  for (const Case& c : {Case{{0x02, 0xfc, 0x00, 0x00, 0x00, 0x01}, "02-FC-00-00-00-01"},
                        Case{{0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, "FF-FF-FF-FF-FF-FF"},
                        Case{{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, ""},  // names no hardware
                        Case{{}, ""}, Case{{0x02, 0xfc, 0x00, 0x00, 0x01}, ""},
                        Case{{0x02, 0xfc, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02}, ""}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(MacText(c.address), c.text);
  }
}

// Random addresses in either case read back and spell as the dashed text; anything but the
// kernel's six colon-separated pairs is refused.
TEST(ParseColonMac, ReadsOnlyTheKernelsSixPairsAndRoundTripsThroughMacText) {
  Bytes address;
  for (const char* bad : {"", "02:fc:0a:b0:00", "02:fc:0a:b0:00:ff:", "02-fc-0a-b0-00-ff", "02:fc:0a:b0:00:fg",
                          "2:fc:0a:b0:00:ff0", "02:fc:0a:b0:00: f", "02:fc:0a:b0::0ff", " 2:fc:0a:b0:00:ff"}) {
    SCOPED_TRACE(bad);
    address = {1};
    EXPECT_FALSE(ParseColonMac(bad, address));
    EXPECT_TRUE(address.empty());
  }
  std::mt19937 random(20240611);
  for (int i = 0; i < 500; ++i) {
    Bytes bytes(6);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
    bytes[5] |= 1;  // never all zero
    char colon[18], dash[18];
    const char* form = i % 2 == 0 ? "%02x:%02x:%02x:%02x:%02x:%02x" : "%02X:%02X:%02X:%02X:%02X:%02X";
    std::snprintf(colon, sizeof colon, form, bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]);
    std::snprintf(dash, sizeof dash, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                  bytes[5]);
    SCOPED_TRACE(colon);
    Bytes parsed;
    ASSERT_TRUE(ParseColonMac(colon, parsed));
    EXPECT_EQ(parsed, bytes);
    EXPECT_EQ(MacText(parsed), dash);
  }
}

TEST(FirstPhysicalMac, TakesTheFirstPhysicalInterfaceByNameWithAnAddress) {
  const Bytes a{0x02, 0, 0, 0, 0, 0x0a}, b{0x02, 0, 0, 0, 0, 0x0b}, c{0x02, 0, 0, 0, 0, 0x0c};
  const Bytes zero(6, 0), shortAddress{0x02, 0, 0, 0, 0x0d};
  struct Case {
    const char* what;
    std::vector<NetworkInterface> interfaces;
    const char* mac;
  };
  const Case cases[] = {
      {"none at all", {}, ""},
      {"listed out of order", {{"wlan0", true, b}, {"eth1", true, c}, {"eth0", true, a}}, "02-00-00-00-00-0A"},
      {"virtual ones first by name", {{"br0", false, c}, {"lo", false, zero}, {"wlan0", true, b}}, "02-00-00-00-00-0B"},
      {"only virtual ones", {{"br0", false, a}, {"docker0", false, b}}, ""},
      {"physical ones without a usable address",
       {{"eth0", true, zero}, {"eth1", true, shortAddress}, {"eth2", true, {}}, {"eth3", true, c}},
       "02-00-00-00-00-0C"},
      // Byte order: upper case before lower case, as the names sort in the C locale.
      {"names in byte order", {{"eth0", true, a}, {"Eth9", true, b}}, "02-00-00-00-00-0B"},
      {"adapter GUIDs", {{"{F0E1}", true, a}, {"{0A1B}", true, c}}, "02-00-00-00-00-0C"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(FirstPhysicalMac(row.interfaces), row.mac);
  }
}

TEST(TrimmedSerial, DropsThePaddingAndRefusesWhatIsNotText) {
  struct Case {
    std::string raw;
    const char* serial;
  };
  for (const Case& c :
       {Case{"WD-WX41A", "WD-WX41A"}, Case{"   S3Z9NB0K  ", "S3Z9NB0K"}, Case{std::string("ZA1\0\0\0", 6), "ZA1"},
        Case{std::string("ZA1 \0 \0", 7), "ZA1"}, Case{"inner  blanks", "inner  blanks"}, Case{"    ", ""},
        Case{std::string("\0AB", 3), ""}, Case{"tab\there", ""}, Case{"caf\xC3\xA9", ""}, Case{"del\x7F", ""}}) {
    SCOPED_TRACE(c.raw);
    EXPECT_EQ(utility::diskid::TrimmedSerial(c.raw), c.serial);
  }
}

TEST(VolumeText, SpellsTheSerialNumberAndTheGuid) {
  EXPECT_EQ(utility::diskid::VolumeSerialText(0x1A2B3C4Du), "1A2B-3C4D");
  EXPECT_EQ(utility::diskid::VolumeSerialText(0xFFFFFFFFu), "FFFF-FFFF");
  EXPECT_EQ(utility::diskid::VolumeSerialText(0u), "");
  struct Case {
    const char* name;
    const char* guid;
  };
  for (const Case& c :
       {Case{"\\\\?\\Volume{4C1B02C1-D990-11DC-99AE-806E6F6E6963}\\", "4c1b02c1-d990-11dc-99ae-806e6f6e6963"},
        Case{"{00000000-0000-0000-0000-00000000000a}", "00000000-0000-0000-0000-00000000000a"},
        Case{"\\\\?\\Volume{4C1B02C1-D990-11DC-99AE-806E6F6E696}\\", ""},
        Case{"\\\\?\\Volume{4C1B02C1D-990-11DC-99AE-806E6F6E6963}\\", ""},
        Case{"\\\\?\\Volume{4C1B02C1-D990-11DC-99AE-806E6F6E696G}\\", ""},
        Case{"\\\\?\\Volume{4C1B02C1-D990-11DC-99AE-806E6F6E6963\\", ""}, Case{"", ""}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(utility::diskid::VolumeGuidText(c.name), c.guid);
  }
}
