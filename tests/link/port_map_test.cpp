// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/errors.h"
#include "link/port_map.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(PortMap, NamesAndNumbers) {
    EXPECT_EQ(portName(1), "Com1");
    EXPECT_EQ(portName(255), "Com255");
    EXPECT_EQ(portNumberOf("Com3"), 3);
    EXPECT_EQ(portNumberOf("COM255"), 255);
    EXPECT_EQ(portNumberOf("com0"), std::nullopt);
    EXPECT_EQ(portNumberOf("Com256"), std::nullopt);
    EXPECT_EQ(portNumberOf("Com"), std::nullopt);
    EXPECT_EQ(portNumberOf("/dev/ttyUSB0"), std::nullopt);
#if defined(__linux__)
    EXPECT_EQ(defaultDevice(1), "/dev/ttyS0");
    EXPECT_EQ(defaultDevice(4), "/dev/ttyS3");
#endif
}

TEST(PortMap, StoredValueMustBeAWholeNumberFromOneTo255) {
    EXPECT_EQ(parseStoredPort("3"), 3);
    EXPECT_EQ(parseStoredPort("255"), 255);
    EXPECT_EQ(parseStoredPort(" 12 "), 12);
    for (const char* bad : {"", "x", "3.5", "3x", "0", "256", "-1", "99999999999999999999"}) {
        EXPECT_THROW((void)parseStoredPort(bad), KvError) << bad;
    }
    try {
        (void)parseStoredPort("abc");
        ADD_FAILURE() << "abc taken for a port";
    } catch (const KvError& e) {
        EXPECT_EQ(e.description(), "The stored serial port \"abc\" is not a whole number.");
    }
}

} // namespace
} // namespace kv
