#include "eventapi/EventRecordStore.h"

#include <algorithm>

bool CEventRecordStore::Put(const void* bytes, size_t size, uint32_t& id)
{
    if (!bytes || size == 0)
        return false;
    const auto* first = static_cast<const uint8_t*>(bytes);
    std::vector<uint8_t> record(first, first + std::min(size, kMaxRecordBytes));
    const std::lock_guard<std::mutex> hold(m_lock);
    id = TakeLowestFreeId();
    m_records.emplace(id, std::move(record));
    return true;
}

bool CEventRecordStore::Take(uint32_t id, std::vector<uint8_t>& bytes)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    const auto found = m_records.find(id);
    if (found == m_records.end())
        return false;
    bytes = std::move(found->second);
    m_records.erase(found);
    ReleaseId(id);
    return true;
}

void CEventRecordStore::Clear()
{
    const std::lock_guard<std::mutex> hold(m_lock);
    m_records.clear();
    m_freeIds.clear();
    m_nextId = 0;
}

size_t CEventRecordStore::Count() const
{
    const std::lock_guard<std::mutex> hold(m_lock);
    return m_records.size();
}

uint32_t CEventRecordStore::TakeLowestFreeId()
{
    if (m_freeIds.empty())
        return m_nextId++;
    const uint32_t id = *m_freeIds.begin();
    m_freeIds.erase(m_freeIds.begin());
    return id;
}

void CEventRecordStore::ReleaseId(uint32_t id)
{
    if (id + 1 != m_nextId) {
        m_freeIds.insert(id);
        return;
    }
    // The highest id went: the free ids just below it are no longer "below the next one".
    --m_nextId;
    while (m_nextId > 0 && m_freeIds.erase(m_nextId - 1) == 1)
        --m_nextId;
}
