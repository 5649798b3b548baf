#include <gtest/gtest.h>

#include <objbase.h>

#include <thread>

#include "CountedObject.h"
#include "win/Bstr.h"
#include "win/ComInit.h"
#include "win/SafeArray.h"
#include "win/UniqueResource.h"
#include "win/Variant.h"

namespace quillon::win {
namespace {

using wintest::CountedObject;

bool handleIsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

Variant holding(IDispatch* object) {
    Variant value;
    V_VT(value.ptr()) = VT_DISPATCH;
    V_DISPATCH(value.ptr()) = object;
    return value;
}

TEST(UniqueResource, ClosesOnDestructionAndResetButNotAfterRelease) {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    { UniqueHandle owner(raw); }
    EXPECT_FALSE(handleIsOpen(raw));

    UniqueHandle owner(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE first = owner.get();
    owner.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_FALSE(handleIsOpen(first));

    HANDLE kept = owner.release();
    EXPECT_FALSE(owner.valid());
    EXPECT_TRUE(handleIsOpen(kept));
    CloseHandle(kept);
}

TEST(UniqueResource, MoveTransfersOwnershipOnce) {
    UniqueHandle source(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE raw = source.get();
    UniqueHandle target(std::move(source));
    EXPECT_FALSE(source.valid());
    EXPECT_EQ(target.get(), raw);
    target = UniqueHandle();
    EXPECT_FALSE(handleIsOpen(raw));
}

TEST(UniqueResource, FindHandlesTreatInvalidHandleValueAsNone) {
    WIN32_FIND_DATAW data{};
    UniqueFindHandle find(FindFirstFileW(L"C:\\no such folder\\*.dwg", &data));
    EXPECT_FALSE(find.valid());
    EXPECT_FALSE(UniqueFindHandle().valid());
    EXPECT_FALSE(UniqueHkey().valid());
}

TEST(ComInit, AnApartmentThatCannotBeEnteredLeavesTheThreadsOwnInPlace) {
    HRESULT after = E_FAIL;
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    std::thread([&] {
        ComInit single;
        { ComInit multi(COINIT_MULTITHREADED, std::nothrow); }
        after = CoGetApartmentType(&type, &qualifier);
    }).join();
    EXPECT_EQ(after, S_OK);
    EXPECT_TRUE(type == APTTYPE_STA || type == APTTYPE_MAINSTA);
}

TEST(Bstr, CopiesAreIndependentAndMovesLeaveTheSourceEmpty) {
    Bstr original(L"Grundri\u00df");
    Bstr copy(original);
    EXPECT_NE(copy.get(), original.get());
    EXPECT_EQ(copy.view(), original.view());

    Bstr moved(std::move(original));
    EXPECT_EQ(original.get(), nullptr);
    EXPECT_EQ(moved.view(), L"Grundri\u00df");
}

TEST(Variant, ReleasesWhatItHoldsOnceAndCopiesTakeTheirOwnReference) {
    CountedObject::alive = 0;
    {
        Variant value = holding(new CountedObject);
        Variant copy(value);
        Variant moved(std::move(value));
        EXPECT_EQ(value.type(), VT_EMPTY);
        EXPECT_EQ(CountedObject::alive, 1);
        copy.clear();
        EXPECT_EQ(CountedObject::alive, 1);
    }
    EXPECT_EQ(CountedObject::alive, 0);
}

TEST(SafeArray, OwnsItsElementsAndHandsOutCopies) {
    CountedObject::alive = 0;
    {
        SafeArray array = SafeArray::createVector(VT_VARIANT, 2, 1);
        EXPECT_EQ(array.lowerBound(), 1);
        EXPECT_EQ(array.upperBound(), 2);
        EXPECT_EQ(array.size(), 2u);
        {
            Variant element = holding(new CountedObject);
            array.putVariant(2, element.get());
        }
        EXPECT_EQ(CountedObject::alive, 1);
        Variant copy = array.elementAt(2);
        EXPECT_EQ(copy.type(), VT_DISPATCH);
        EXPECT_EQ(array.elementAt(1).type(), VT_EMPTY);
    }
    EXPECT_EQ(CountedObject::alive, 0);
}

}  // namespace
}  // namespace quillon::win
