#pragma once
// The records a lock-event client has received and not read yet, each under the lowest
// id free at its receipt. Shared by the worker that stores and the caller that reads.
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <vector>

class CEventRecordStore {
public:
    // A lock event record is 42 bytes and the check reads no more: anything beyond is
    // dropped, so no sender can make the store grow by more than that per record.
    static constexpr size_t kMaxRecordBytes = 42;

    // Stores the first bytes of the record and gives its id; false, nothing stored, for
    // an empty record (no lock event, and nothing to announce).
    bool Put(const void* bytes, size_t size, uint32_t& id);
    // Moves the record out of the store; false when no record has that id.
    bool Take(uint32_t id, std::vector<uint8_t>& bytes);
    // Drops every record; ids start again at 0.
    void Clear();
    size_t Count() const;

private:
    uint32_t TakeLowestFreeId();
    void ReleaseId(uint32_t id);

    mutable std::mutex m_lock;
    std::map<uint32_t, std::vector<uint8_t>> m_records;
    // Ids below m_nextId that are free again; the lowest free id is the first of them,
    // else m_nextId. Keeps each Put and Take logarithmic with many records pending.
    std::set<uint32_t> m_freeIds;
    uint32_t m_nextId = 0;
};
