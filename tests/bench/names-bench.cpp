// Speed of the name pick of one command (count, draw, read) against its
// floor: reading the same file's bytes twice with a plain large-buffer loop,
// plus the n + 1 draws a seeded std::mt19937 must make anyway. The same
// program runs natively and, cross-built, under Wine.
//   names_bench [REPETITIONS_SCALE]

#include "src/names/name_list.h"
#include "src/names/random_number.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace varnel;  // the product under test

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

volatile std::int64_t sink = 0;  // keeps results alive

// Median time of `runs` calls, in microseconds.
double MedianMicroseconds(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[static_cast<std::size_t>(runs / 2)];
}

std::string WriteList(const std::string& fileName, int names)
{
    std::string bytes;
    std::mt19937 engine(7);
    for (int i = 0; i < names; ++i)
        bytes += "Name" + std::to_string(engine() % 100000) + "\r\n";
    std::string path = std::string(PluginFolder) + fileName;
    if (const auto folder = fs::path(path).parent_path(); !folder.empty())
        fs::create_directories(folder);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
}

std::int64_t ReadBytesPlainly(const std::string& path)
{
    static std::vector<char> buffer(1 << 20);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::int64_t total = 0;
    for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;)
        total += static_cast<std::int64_t>(got) + buffer[got - 1];
    std::fclose(file);
    return total;
}

// A fresh seed per call, unknown to the compiler, as the command's is: a
// constant seed would let it fold the engine's seeding away.
std::uint32_t nextSeed = 12345;

[[gnu::noinline]] std::int64_t DrawsOfTheStandardDistribution(int n)
{
    std::mt19937 engine(nextSeed++);
    std::uniform_int_distribution<std::int32_t> distribution(1, n);
    std::int64_t total = 0;
    for (int i = 0; i <= n; ++i)
        total += distribution(engine);
    return total;
}

}  // namespace

int main(int argc, char** argv)
{
    const int scale = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const fs::path work = fs::temp_directory_path() / "varnel-bench";
    fs::remove_all(work);
    fs::create_directories(work);
    fs::current_path(work);

    std::printf("%-8s %11s %14s %10s %11s | %11s %11s %11s | %s\n", "names", "CountNames", "ReadNameAt~end",
                "Draw", "name pick", "read twice", "n+1 draws", "floor", "pick/floor");
    for (const int names : {100, 10000, 1000000}) {
        const std::string fileName = "List" + std::to_string(names) + ".txt";
        const std::string path = WriteList(fileName, names);
        const int runs = (names >= 1000000 ? 15 : 201) * scale;
        const double count = MedianMicroseconds(runs, [&] { sink = sink + CountNames(fileName).lines; });
        const double read = MedianMicroseconds(runs, [&] { sink = sink + static_cast<std::int64_t>(ReadNameAt(fileName, names - 1).size()); });
        const double draw = MedianMicroseconds(runs, [&] { sink = sink + DrawRandomNumber(names); });
        const double pick = MedianMicroseconds(runs, [&] {
            const std::int32_t nameCount = CountNames(fileName).lines;
            sink = sink + static_cast<std::int64_t>(ReadNameAt(fileName, DrawRandomNumber(nameCount)).size());
        });
        const double readTwice =
            MedianMicroseconds(runs, [&] { sink = sink + ReadBytesPlainly(path) + ReadBytesPlainly(path); });
        const double draws = MedianMicroseconds(runs, [&] { sink = sink + DrawsOfTheStandardDistribution(names); });
        const double floor = MedianMicroseconds(runs, [&] {
            sink = sink + ReadBytesPlainly(path) + ReadBytesPlainly(path) + DrawsOfTheStandardDistribution(names);
        });
        std::printf("%-8d %9.1fus %12.1fus %8.1fus %9.1fus | %9.1fus %9.1fus %9.1fus | %.2fx\n", names, count, read,
                    draw, pick, readTwice, draws, floor, pick / floor);
    }
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(work);
    return 0;
}
