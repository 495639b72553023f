#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/ModulePath.h"

namespace {

// Answers like GetModuleFileNameA on XP (a cut path has no terminator) or on later
// Windows (cut to size - 1 and terminated), recording the sizes asked for.
struct FakeModule {
    std::string path;
    bool xp = true;
    std::vector<unsigned long> sizes;

    unsigned long operator()(char* buffer, unsigned long size)
    {
        sizes.push_back(size);
        if (path.size() < size) {
            std::memcpy(buffer, path.c_str(), path.size() + 1);
            return static_cast<unsigned long>(path.size());
        }
        const unsigned long written = xp ? size : size - 1;
        std::memcpy(buffer, path.data(), written);
        if (!xp)
            buffer[written] = '\0';
        return size;
    }
};

std::string LongPath(std::size_t length)
{
    std::string path = "C:\\";
    while (path.size() + 16 < length)
        path += "Kelvrane-Folder\\";
    path.resize(length - 12, 'x');
    return path + "\\BRONTAL.EXE";
}

TEST(ModulePath, ReadsAPathOfAnyLength)
{
    for (const bool xp : {true, false}) {
        for (const std::size_t length : {20u, 259u, 260u, 511u, 512u, 700u, 5000u}) {
            FakeModule module{LongPath(length), xp, {}};
            EXPECT_EQ(module.path, modulepath::ReadWhole(std::ref(module))) << length << " " << xp;
        }
    }
}

TEST(ModulePath, AsksWithTwiceTheRoomWhileTheAnswerFillsTheBuffer)
{
    FakeModule module{LongPath(1500), true, {}};
    modulepath::ReadWhole(std::ref(module));
    EXPECT_EQ((std::vector<unsigned long>{512, 1024, 2048}), module.sizes);
    // A path of exactly the buffer's size has no room for a terminator on XP.
    FakeModule exact{LongPath(512), true, {}};
    modulepath::ReadWhole(std::ref(exact));
    EXPECT_EQ((std::vector<unsigned long>{512, 1024}), exact.sizes);
}

TEST(ModulePath, FailureOrEndlessAnswerGivesNothing)
{
    EXPECT_EQ("", modulepath::ReadWhole([](char*, unsigned long) { return 0ul; }));
    EXPECT_EQ("", modulepath::ReadWhole([](char*, unsigned long size) { return size; }));
}

} // namespace
