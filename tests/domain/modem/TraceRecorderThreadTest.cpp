// SPDX-License-Identifier: MIT
// The recorder of the link's trace: overlapping recordings, start and stop, and a link that
// traces on another thread while the recording is read.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "domain/modem/TraceRecorder.h"

namespace {

using Tormel::Domain::Modem::Command;
using Tormel::Domain::Modem::TraceDirection;
using Tormel::Domain::Modem::TraceEntry;
using Tormel::Domain::Modem::TraceRecorder;

// Stands for the link: the trace is the command layer's own.
struct Link : Command {
    using Command::Trace;
};

std::vector<std::string> lines(const TraceRecorder& recorder) {
    std::vector<std::string> out;
    for (const TraceEntry& e : recorder.entries()) out.push_back(e.line);
    return out;
}

TEST(TraceRecorder, OverlappingRecordingsEachKeepTheirOwnStretch) {
    TraceRecorder outer;
    TraceRecorder inner;
    Link::Trace(TraceDirection::Sent, "before");  // nobody records yet
    outer.start();
    Link::Trace(TraceDirection::Sent, "~CONNECT?");
    inner.start();
    Link::Trace(TraceDirection::Received, "ok");
    inner.stop();
    Link::Trace(TraceDirection::Event, "closed p");
    EXPECT_EQ(lines(outer), (std::vector<std::string>{"~CONNECT?", "ok", "closed p"}));
    EXPECT_EQ(lines(inner), std::vector<std::string>{"ok"});
    EXPECT_EQ(inner.entries().front().direction, TraceDirection::Received);
    EXPECT_FALSE(inner.recording());

    // A new start forgets the last recording; the entries of a stopped one stay.
    outer.start();
    EXPECT_TRUE(lines(outer).empty());
    outer.stop();
    Link::Trace(TraceDirection::Sent, "after");
    EXPECT_TRUE(lines(outer).empty());
    EXPECT_EQ(lines(inner), std::vector<std::string>{"ok"});
}

TEST(TraceRecorder, ARecorderGoneWhileOthersRunLeavesThemRecording) {
    TraceRecorder kept;
    kept.start();
    {
        TraceRecorder gone;
        gone.start();
    }
    Link::Trace(TraceDirection::Sent, "~VER?");
    EXPECT_EQ(lines(kept), std::vector<std::string>{"~VER?"});
    kept.stop();
}

TEST(TraceRecorder, TheLinkMayTraceOnAnotherThreadWhileTheRecordingIsRead) {
    TraceRecorder recorder;
    recorder.start();
    constexpr int kLines = 2000;
    std::thread worker([] {
        for (int i = 0; i < kLines; ++i) Link::Trace(TraceDirection::Received, std::to_string(i));
    });
    std::size_t seen = 0;
    while (seen < kLines) {
        const std::vector<TraceEntry> now = recorder.entries();
        ASSERT_GE(now.size(), seen);  // a copy never shrinks nor tears
        seen = now.size();
    }
    worker.join();
    const std::vector<TraceEntry> all = recorder.entries();
    recorder.stop();
    ASSERT_EQ(all.size(), static_cast<std::size_t>(kLines));
    for (int i = 0; i < kLines; ++i) EXPECT_EQ(all[static_cast<std::size_t>(i)].line, std::to_string(i));
    EXPECT_LE(all.front().ms, all.back().ms);
}

}  // namespace
