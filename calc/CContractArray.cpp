#include "calc/CContractArray.h"

#include <cstring>

CContractArray::CContractArray() : m_nCount(0), m_nGrowBy(2), m_nCapacity(0) {}

int32_t CContractArray::Add(const ContractRecord& record) {
    Grow();
    m_pData[m_nCount] = record;
    return ++m_nCount;
}

ContractRecord* CContractArray::GetAt(int32_t nIndex) {
    if (nIndex < 0 || nIndex >= m_nCount) {
        return nullptr;
    }
    return &m_pData[nIndex];
}

bool CContractArray::Grow() {
    if (m_nCount != m_nCapacity) {
        return true;
    }
    const int32_t nGrown = m_nCapacity + m_nGrowBy;
    auto pGrown = std::make_unique<ContractRecord[]>(static_cast<size_t>(nGrown));
    if (m_nCapacity > 0) {
        std::memcpy(pGrown.get(), m_pData.get(), sizeof(ContractRecord) * static_cast<size_t>(m_nCapacity));
    }
    m_pData = std::move(pGrown);
    m_nCapacity = nGrown;
    return true;
}
