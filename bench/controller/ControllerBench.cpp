// SPDX-License-Identifier: MIT
// How quickly the controller lets go at the real timing (2000 ms reads): a Disconnect in the
// middle of a scan over 30 silent ports and in the middle of a write, until the completion
// reaches the window's queue; the destruction of a controller in the middle of a scan; and the
// cost of running a connect on the worker, against the protocol's floor.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "domain/app/TaskQueue.h"
#include "domain/app/TormelApp.h"
#include "domain/modem/Command.h"
#include "sim/PtyServer.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Tormel::Domain::App::AppCompletedCode;
using Tormel::Domain::App::AppResult;
using Tormel::Domain::App::TormelApp;
using Tormel::Domain::Modem::Command;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Units {
    std::string folder;
    std::vector<std::unique_ptr<Pelnix::Sim::PtyServer>> servers;
    std::vector<std::string> ports;

    explicit Units(int silent, bool withUnit) {
        char pattern[] = "/tmp/pelnix-bench-ctl-XXXXXX";
        if (!mkdtemp(pattern)) std::exit(1);
        folder = pattern;
        for (int i = 0; i < silent + (withUnit ? 1 : 0); ++i) {
            Pelnix::Sim::PtyServerOptions options;
            options.folder = folder;
            options.name = "p" + std::to_string(i);
            servers.push_back(std::make_unique<Pelnix::Sim::PtyServer>(Pelnix::Sim::UnitState{}, options));
            if (i < silent) {
                Pelnix::Sim::Faults faults;
                faults.silentOn = {"~"};
                servers.back()->SetFaults(faults);
            }
            ports.push_back(servers.back()->PortPath());
        }
        // The scan runs from the last listed port to the first: put the answering unit first.
        if (withUnit) std::rotate(ports.rbegin(), ports.rbegin() + 1, ports.rend());
        auto list = ports;
        Command::SetPortLister([list] { return list; });
    }
    ~Units() {
        servers.clear();
        std::filesystem::remove_all(folder);
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Tormel::Testing::TaskQueue queue;
    std::vector<double> scanStop, scanDestroy, writeStop, connectRatio;

    for (int round = 0; round < rounds; ++round) {
        // Disconnect 1 s into a scan over 30 silent ports (a full scan would take 10 minutes).
        {
            Units units(30, false);
            TormelApp app(queue.Dispatcher());
            app.Init();
            bool done = false;
            app.ConnectAndRead([&](AppCompletedCode code) {
                done = true;
                app.Completed(code);
            });
            std::this_thread::sleep_for(1s);
            const auto start = Clock::now();
            app.Disconnect();
            queue.PumpUntil([&] { return done; }, 60s);
            scanStop.push_back(Ms(Clock::now() - start));
        }
        // Destroy the controller 1 s into such a scan (the window closed).
        {
            Units units(30, false);
            auto app = std::make_unique<TormelApp>(queue.Dispatcher());
            app->Init();
            app->ConnectAndRead([](AppCompletedCode) {});
            std::this_thread::sleep_for(1s);
            const auto start = Clock::now();
            app.reset();
            scanDestroy.push_back(Ms(Clock::now() - start));
            queue.PumpPending();
        }
        // Connect through the worker to a unit (floor: the 100 ms pause after each of 3 lines),
        // then read it whole and start a write that stops while the unit keeps silent on one
        // command.
        {
            Units units(0, true);
            TormelApp app(queue.Dispatcher());
            app.Init();
            bool done = false;
            auto start = Clock::now();
            app.Connect([&](AppCompletedCode code) {
                done = true;
                app.Completed(code);
            });
            queue.PumpUntil([&] { return done; }, 60s);
            connectRatio.push_back(Ms(Clock::now() - start) / 300.0);
            done = false;
            app.ConnectAndRead([&](AppCompletedCode code) {
                done = true;
                app.Completed(code);
            });
            queue.PumpUntil([&] { return done; }, 60s);

            Pelnix::Sim::Faults faults;
            faults.silentOn = {"~SLNT="};
            units.servers[0]->SetFaults(faults);
            done = false;
            app.Write([&](AppCompletedCode code) {
                done = true;
                app.Completed(code);
            });
            const auto deadline = Clock::now() + 60s;
            while (true) {
                const auto requests = units.servers[0]->Requests();
                if (!requests.empty() && requests.back().rfind("~SLNT=", 0) == 0) break;
                if (Clock::now() > deadline || done) {
                    std::fprintf(stderr, "the write did not reach the silent interval: %s\n",
                                 app.Result().c_str());
                    return 1;
                }
                std::this_thread::sleep_for(1ms);
            }
            std::this_thread::sleep_for(500ms);
            start = Clock::now();
            app.Disconnect();
            queue.PumpUntil([&] { return done; }, 60s);
            writeStop.push_back(Ms(Clock::now() - start));
        }
    }

    std::printf("rounds: %d\n", rounds);
    std::printf(
        "disconnect during a scan of 30 silent ports -> completion delivered: median %.2f ms, worst %.2f "
        "ms\n",
        Median(scanStop), *std::max_element(scanStop.begin(), scanStop.end()));
    std::printf("controller destroyed during such a scan: median %.2f ms, worst %.2f ms\n",
                Median(scanDestroy), *std::max_element(scanDestroy.begin(), scanDestroy.end()));
    std::printf(
        "disconnect during a write waiting on a reply -> completion delivered: median %.2f ms, worst %.2f "
        "ms\n",
        Median(writeStop), *std::max_element(writeStop.begin(), writeStop.end()));
    std::printf("connect on the worker, measured / floor (300 ms): median %.4f, worst %.4f\n",
                Median(connectRatio), *std::max_element(connectRatio.begin(), connectRatio.end()));
    return 0;
}
