// SPDX-License-Identifier: MIT
// Closing the port from another thread while a call waits (how an operation is cancelled).
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/PtyPair.h"
#include "platform/SerialPort.h"

using namespace Tormel::Platform;
using Pelnix::Test::PtyPair;
using namespace std::chrono_literals;

namespace {

SerialSettings SlowSettings(const std::string& path) {
    SerialSettings settings;
    settings.PortName = path;
    settings.ReadTimeoutMs = 10000;
    settings.WriteTimeoutMs = 10000;
    return settings;
}

}  // namespace

TEST(SerialPortCancel, CloseWakesAWaitingReadAtOnce) {
    PtyPair pty;
    auto port = CreateSerialPort();
    ASSERT_TRUE(port->Open(SlowSettings(pty.SlavePath())).ok());

    std::promise<void> reading;
    auto result = std::async(std::launch::async, [&] {
        std::string line;
        reading.set_value();
        return port->ReadLine(line);
    });
    reading.get_future().wait();
    std::this_thread::sleep_for(30ms);  // let the read reach its wait

    const auto closeStart = std::chrono::steady_clock::now();
    ASSERT_TRUE(port->Close().ok());
    const SerialResult read = result.get();
    EXPECT_LT(std::chrono::steady_clock::now() - closeStart, 100ms);
    EXPECT_EQ(read.status, SerialStatus::Closed);
    EXPECT_FALSE(port->IsOpen());

    // Later calls fail at once, and the port opens again as good as new.
    std::string line;
    EXPECT_EQ(port->ReadLine(line).status, SerialStatus::NotOpen);
    ASSERT_TRUE(port->Open(SlowSettings(pty.SlavePath())).ok());
    pty.Send("ok\r\n");
    ASSERT_TRUE(port->ReadLine(line).ok());
    EXPECT_EQ(line, "ok");
}

TEST(SerialPortCancel, CloseWakesAWriteWaitingForRoom) {
    PtyPair pty;
    auto port = CreateSerialPort();
    ASSERT_TRUE(port->Open(SlowSettings(pty.SlavePath())).ok());
    auto result = std::async(std::launch::async, [&] { return port->WriteLine(std::string(4 << 20, 'x')); });
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(port->Close().ok());
    ASSERT_EQ(result.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(result.get().status, SerialStatus::Closed);
}

TEST(SerialPortCancel, RacingClosesEndTheReadAsClosed) {
    // Each round a reader waits while two threads close at once; then the port reopens.
    // Under the thread sanitizer this also checks that the descriptor's life is guarded.
    PtyPair pty;
    auto port = CreateSerialPort();
    for (int round = 0; round < 40; ++round) {
        ASSERT_TRUE(port->Open(SlowSettings(pty.SlavePath())).ok());
        auto reader = std::async(std::launch::async, [&] {
            std::string line;
            return port->ReadLine(line);
        });
        std::this_thread::sleep_for(std::chrono::microseconds(200 * (round % 5)));
        auto secondClose = std::async(std::launch::async, [&] { return port->Close(); });
        EXPECT_TRUE(port->Close().ok());
        EXPECT_TRUE(secondClose.get().ok());
        const SerialResult read = reader.get();
        // NotOpen when both closes came before the read started.
        EXPECT_TRUE(read.status == SerialStatus::Closed || read.status == SerialStatus::NotOpen)
            << static_cast<int>(read.status) << " " << read.message;
    }
}
