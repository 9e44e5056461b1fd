#include <gtest/gtest.h>

#include "calc/CContractArray.h"

namespace {

ContractRecord Contract(int32_t nValidFrom) {
    ContractRecord record{};
    record.validFrom = nValidFrom;
    return record;
}

TEST(ContractArray, GrowsTwoElementsAtATimeKeepingTheElements) {
    CContractArray contracts;
    EXPECT_EQ(contracts.GetCapacity(), 0);
    EXPECT_EQ(contracts.Add(Contract(1)), 1);
    EXPECT_EQ(contracts.GetCapacity(), 2);
    contracts.Add(Contract(2));
    EXPECT_EQ(contracts.Add(Contract(3)), 3);
    EXPECT_EQ(contracts.GetCapacity(), 4);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(contracts.GetAt(i)->validFrom, i + 1);
    }
}

TEST(ContractArray, GetAtGivesTheStoredElementOrNullOutsideTheCount) {
    CContractArray contracts;
    contracts.Add(Contract(20240101));
    contracts.GetAt(0)->validTo = 20241231;
    EXPECT_EQ(contracts.GetAt(0)->validTo, 20241231);
    EXPECT_EQ(contracts.GetAt(1), nullptr);
    EXPECT_EQ(contracts.GetAt(-1), nullptr);
}

TEST(ContractArray, RemoveAllKeepsTheStorageForReuse) {
    CContractArray contracts;
    contracts.Add(Contract(1));
    contracts.Add(Contract(2));
    contracts.RemoveAll();
    EXPECT_EQ(contracts.GetCount(), 0);
    EXPECT_EQ(contracts.GetAt(0), nullptr);
    contracts.Add(Contract(7));
    EXPECT_EQ(contracts.GetCapacity(), 2);
    EXPECT_EQ(contracts.GetAt(0)->validFrom, 7);
}

}  // namespace
