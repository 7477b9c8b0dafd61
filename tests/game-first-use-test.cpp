// Runs in a process of its own: the lazily formed game addresses must not
// have been used before the two threads race for them.
#include "command/reference.h"
#include "game/console.h"
#include "support/simulated_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using GameFirstUseTest = SimulatedGameTest;

TEST_F(GameFirstUseTest, TwoThreadsFormTheLazyAddressesTogether)
{
    auto first = sim::MakeReference(0x1A);
    auto second = sim::MakeReference(0x1B);
    sim::SetOwnName(*first, "Mara");
    sim::SetOwnName(*second, "Tomas");

    std::atomic<int> ready{0};
    std::string names[2];
    auto work = [&](int index, sim::Reference& reference, const char* line) {
        ++ready;
        while (ready.load() < 2) {
        }
        ConsolePrint("%s", line);
        names[index] = GetDisplayName(AsGameReference(reference));
    };
    std::thread one(work, 0, std::ref(*first), "first");
    std::thread two(work, 1, std::ref(*second), "second");
    one.join();
    two.join();

    EXPECT_EQ(names[0], "Mara");
    EXPECT_EQ(names[1], "Tomas");
    auto lines = sim::ConsoleSeen().lines;
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "second"}));
}

}  // namespace
