// Runs in a process of its own: the addresses formed at first use must not
// have been used before the threads race for them.
#include "src/command/reference.h"
#include "src/game/console.h"
#include "src/game/game_addresses.h"
#include "support/simulated_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>

using namespace varnel;  // the product under test

namespace {

std::mutex formingMutex;
std::map<std::string, int> formed;     // how often each address was formed
std::atomic<int> formingNow{0};        // threads inside the forming of an address

// The first thread to form an address stays in the forming for a while, so
// the second is sure to arrive while it is still under way.
void SlowObserver(const char* address)
{
    {
        const std::lock_guard lock(formingMutex);
        ++formed[address];
    }
    ++formingNow;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    --formingNow;
}

using GameFirstUseTest = SimulatedGameTest;

TEST_F(GameFirstUseTest, ThreadsRacingForAnAddressFormItOnce)
{
    ObserveAddressForming(&SlowObserver);
    auto first = sim::MakeReference(0x1A);
    auto second = sim::MakeReference(0x1B);
    sim::SetOwnName(*first, "Mara");
    sim::SetOwnName(*second, "Tomas");

    std::string names[2];
    auto work = [&](int index, sim::Reference& reference, const char* line) {
        ConsolePrint("%s", line);
        names[index] = GetDisplayName(AsGameReference(reference));
    };
    std::thread one(work, 0, std::ref(*first), "first");
    while (formingNow.load() == 0)  // the first thread is forming the console print address
        std::this_thread::yield();
    std::thread two(work, 1, std::ref(*second), "second");
    one.join();
    two.join();
    ObserveAddressForming(nullptr);

    EXPECT_EQ(formed, (std::map<std::string, int>{{"console print", 1}, {"extra data lookup", 1}}));
    EXPECT_EQ(names[0], "Mara");
    EXPECT_EQ(names[1], "Tomas");
    auto lines = sim::ConsoleSeen().lines;
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "second"}));
}

}  // namespace
