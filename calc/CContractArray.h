// CContractArray: the contract rows of one request, in the order they were added. Owned by the
// CShiftCalc of the request; elements are plain copies and are read and changed in place through
// GetAt. The storage grows by two elements at a time and is never shrunk.
#pragma once

#include <cstdint>
#include <memory>

#include "calc/ContractRecord.h"

class CContractArray {
public:
    CContractArray();
    virtual ~CContractArray() = default;
    CContractArray(const CContractArray&) = delete;
    CContractArray& operator=(const CContractArray&) = delete;

    int32_t GetCount() const { return m_nCount; }
    int32_t GetCapacity() const { return m_nCapacity; }
    void RemoveAll() { m_nCount = 0; }
    // Appends a copy of the record; returns the new count.
    int32_t Add(const ContractRecord& record);
    // The element itself, or nullptr when the index is outside 0 .. count - 1.
    ContractRecord* GetAt(int32_t nIndex);
    bool Grow();

private:
    int32_t m_nCount;
    int32_t m_nGrowBy;
    int32_t m_nCapacity;
    std::unique_ptr<ContractRecord[]> m_pData;
};
