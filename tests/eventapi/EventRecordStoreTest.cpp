#include "eventapi/EventRecordStore.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(size_t size, uint8_t fill = 0x41)
{
    return std::vector<uint8_t>(size, fill);
}

uint32_t Put(CEventRecordStore& store, const std::vector<uint8_t>& record)
{
    uint32_t id = 0xFFFFFFFF;
    EXPECT_TRUE(store.Put(record.data(), record.size(), id));
    return id;
}

TEST(EventRecordStore, EachRecordGetsTheLowestFreeId)
{
    CEventRecordStore store;
    EXPECT_EQ(0u, Put(store, Bytes(42)));
    EXPECT_EQ(1u, Put(store, Bytes(42)));
    EXPECT_EQ(2u, Put(store, Bytes(42)));
    std::vector<uint8_t> taken;
    ASSERT_TRUE(store.Take(1, taken));
    ASSERT_TRUE(store.Take(0, taken));
    EXPECT_EQ(0u, Put(store, Bytes(42)));
    EXPECT_EQ(1u, Put(store, Bytes(42)));
    EXPECT_EQ(3u, Put(store, Bytes(42)));

    // The highest ones go, and with them the free ids just below: the next is 1 again.
    for (uint32_t id : {3u, 2u, 1u})
        ASSERT_TRUE(store.Take(id, taken));
    EXPECT_EQ(1u, Put(store, Bytes(42)));
    EXPECT_EQ(2u, Put(store, Bytes(42)));
}

TEST(EventRecordStore, ARecordIsTakenOnce)
{
    CEventRecordStore store;
    const uint32_t id = Put(store, Bytes(42, 7));
    std::vector<uint8_t> taken;
    EXPECT_TRUE(store.Take(id, taken));
    EXPECT_EQ(Bytes(42, 7), taken);
    EXPECT_FALSE(store.Take(id, taken));
    EXPECT_FALSE(store.Take(12345, taken));
    EXPECT_EQ(0u, store.Count());
}

TEST(EventRecordStore, KeepsAtMostTheFirst42BytesAndNothingOfAnEmptyRecord)
{
    CEventRecordStore store;
    std::vector<uint8_t> big(1 << 20);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i);
    struct Case {
        size_t size;
        size_t kept;
    } cases[] = {{1, 1}, {41, 41}, {42, 42}, {43, 42}, {big.size(), 42}};
    for (const Case& c : cases) {
        const uint32_t id = Put(store, std::vector<uint8_t>(big.begin(), big.begin() + c.size));
        std::vector<uint8_t> taken;
        ASSERT_TRUE(store.Take(id, taken));
        EXPECT_EQ(std::vector<uint8_t>(big.begin(), big.begin() + c.kept), taken) << c.size;
    }

    uint32_t id = 99;
    EXPECT_FALSE(store.Put(big.data(), 0, id));
    EXPECT_FALSE(store.Put(nullptr, 42, id));
    EXPECT_EQ(99u, id);
    EXPECT_EQ(0u, store.Count());
}

TEST(EventRecordStore, ClearDropsEverythingAndIdsStartAgain)
{
    CEventRecordStore store;
    Put(store, Bytes(42));
    Put(store, Bytes(42));
    store.Clear();
    std::vector<uint8_t> taken;
    EXPECT_FALSE(store.Take(0, taken));
    EXPECT_EQ(0u, Put(store, Bytes(42)));
}

// A receiving thread and a reading thread at once: every record is read exactly once.
// The writer keeps fewer than 32 records pending, so every id stays below 64.
TEST(EventRecordStore, PutAndTakeFromTwoThreads)
{
    CEventRecordStore store;
    constexpr int kRecords = 20000;
    std::thread writer([&] {
        for (int i = 0; i < kRecords; ++i) {
            while (store.Count() >= 32)
                std::this_thread::yield();
            const uint8_t byte = static_cast<uint8_t>(i);
            uint32_t id = 0;
            store.Put(&byte, 1, id);
        }
    });
    int read = 0;
    while (read < kRecords) {
        std::vector<uint8_t> taken;
        for (uint32_t id = 0; id < 64; ++id)
            read += store.Take(id, taken) ? 1 : 0;
    }
    writer.join();
    EXPECT_EQ(kRecords, read);
    EXPECT_EQ(0u, store.Count());
}

} // namespace
