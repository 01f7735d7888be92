#include "filters/dynamic_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "core/dataset_builder.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/permissions.h"
#include "filters/static_filter.h"
#include "platform/sim/recording_interaction.h"
#include "storage/dataset_file.h"

namespace quorel {
namespace {

using sim::Interaction;
using V = std::vector<CDirEntry*>;

// Filter indexes used below.
constexpr std::uint32_t kAll = 0;
constexpr std::uint32_t kRd = 2;
constexpr std::uint32_t kWr = 5;
constexpr std::uint32_t kDel = 9;

constexpr std::uint8_t kAllow = 0;
constexpr std::uint8_t kDeny = 1;
constexpr std::uint8_t kInherited = 0x10;

using Ace = test::AceSpec;  // a null trustee stays unset

// Builds datasets the way the file reader does.
class Tree {
  public:
    explicit Tree(InteractionPort& ui) : list(ui) {}

    CDirEntry* add(CDirEntry* parent, const wchar_t* name) {
        return test::AppendEntry(list, parent, name);
    }

    static void give(CDirEntry* e, const std::vector<Ace>& aces) { test::SetAces(e, aces); }

    V visible() const {
        V result;
        for (CDirEntry& e : list) {
            if (e.visible) {
                result.push_back(&e);
            }
        }
        return result;
    }

    CDirList list;
};

FilterRow row(std::uint32_t op, const wchar_t* text, std::uint32_t right = 0) {
    FilterRow r;
    r.op = op;
    r.right = right;
    r.text = text;
    return r;
}

// C:\data{ ., temp{ a.txt, deep{ x } }, file.txt }
class DynamicFilters : public ::testing::Test {
  protected:
    DynamicFilters() {
        root = tree.add(nullptr, L"C:\\data");
        dot = tree.add(root, L".");
        temp = tree.add(root, L"temp");
        a = tree.add(temp, L"a.txt");
        deep = tree.add(temp, L"deep");
        x = tree.add(deep, L"x");
        file = tree.add(root, L"file.txt");
        for (CDirEntry* e : all()) {
            Tree::give(e, {{L"Admins", 0x1F01FF, kInherited, kAllow}});
            e->setOwner(L"Admins", L"DOM");
            e->setGroup(L"None", L"DOM");
        }
        rights.clear();
        rights.AppendRightColumn(0x1, L"rd");
        rights.AppendRightColumn(0x2, L"wr");
    }
    V all() const { return {root, dot, temp, a, deep, x, file}; }

    NameTables tables() const {
        NameTables t;
        RebuildNameTables(tree.list, t);
        return t;
    }

    V apply(std::uint32_t combination, std::vector<FilterRow> rows,
            std::uint8_t staticFilter = kShowAll, std::uint32_t depth = 0) {
        filters.rows = std::move(rows);
        filters.combination = combination;
        ApplyDynamicFilters(filters, tree.list, nullptr, staticFilter, depth, rights,
                            tables().users, ui);
        return tree.visible();
    }
    V andRows(std::vector<FilterRow> rows, std::uint8_t staticFilter = kShowAll,
              std::uint32_t depth = 0) {
        return apply(0, std::move(rows), staticFilter, depth);
    }
    V orRows(std::vector<FilterRow> rows, std::uint32_t depth = 0) {
        return apply(1, std::move(rows), kShowAll, depth);
    }
    V staticResult(std::uint8_t filter, std::uint32_t depth = 0) {
        FilterTarget target;
        target.shown = &tree.list;
        target.displayDepth = depth;
        ApplyStaticFilter(target, filter, rights);
        return tree.visible();
    }
    bool has(const wchar_t* name, CDirEntry* e, std::uint32_t right) {
        return TrusteeHasRight(name, *e, right);
    }

    sim::RecordingInteraction ui;
    Tree tree{ui};
    DisplayedRights rights;
    DynamicFilterSet filters;
    CDirEntry *root, *dot, *temp, *a, *deep, *x, *file;
};

// --- TrusteeHasRight ---------------------------------------------------

TEST_F(DynamicFilters, ExplicitDenyOverridesInheritedAllow) {
    Tree::give(a, {{L"Users", 0x2, kInherited, kAllow}, {L"Users", 0x2, 0, kDeny}});
    EXPECT_FALSE(has(L"Users", a, kWr));
    EXPECT_EQ(andRows({row(kRuleHasPermission, L"Users", kWr)}), V{});
    // Without the deny ACE the right holds.
    Tree::give(a, {{L"Users", 0x2, kInherited, kAllow}});
    EXPECT_TRUE(has(L"Users", a, kWr));
    EXPECT_EQ(andRows({row(kRuleHasPermission, L"Users", kWr)}), V{a});
}

TEST_F(DynamicFilters, InheritedDenyAfterExplicitAllowIsSkipped) {
    Tree::give(a, {{L"Users", 0x2, 0, kAllow}, {L"Users", 0x2, kInherited, kDeny}});
    EXPECT_TRUE(has(L"Users", a, kWr));
    EXPECT_EQ(andRows({row(kRuleHasPermission, L"Users", kWr)}), V{a});
    // The same two ACEs the other way round: the explicit allow still wins.
    Tree::give(a, {{L"Users", 0x2, kInherited, kDeny}, {L"Users", 0x2, 0, kAllow}});
    EXPECT_TRUE(has(L"Users", a, kWr));
}

TEST_F(DynamicFilters, HigherAceLackingTheBitsLeavesTheResult) {
    Tree::give(a, {{L"Users", 0x2, kInherited, kAllow}, {L"Users", 0x1, 0, kAllow}});
    EXPECT_TRUE(has(L"Users", a, kWr));
    EXPECT_TRUE(has(L"Users", a, kRd));
    EXPECT_EQ(andRows({row(kRuleHasPermission, L"Users", kWr)}), V{a});
    // An inherited deny of wr is outranked by the explicit allow that lacks
    // wr: the explicit ACE raised the precedence, the deny is skipped.
    Tree::give(a, {{L"Users", 0x2, kInherited, kAllow},
                   {L"Users", 0x1, 0, kAllow},
                   {L"Users", 0x2, kInherited, kDeny}});
    EXPECT_TRUE(has(L"Users", a, kWr));
    // An inherited deny of the same precedence level or above is not skipped.
    Tree::give(a, {{L"Users", 0x2, kInherited, kAllow}, {L"Users", 0x2, kInherited, kDeny}});
    EXPECT_FALSE(has(L"Users", a, kWr));
    Tree::give(a, {{L"Users", 0x2, kInherited, kDeny}, {L"Users", 0x2, kInherited, kAllow}});
    EXPECT_FALSE(has(L"Users", a, kWr));  // the allow (1) is below the deny (2)
}

TEST_F(DynamicFilters, AllNeedsEveryBitAndNamesMatchExactly) {
    Tree::give(a, {{L"Users", 0x10000000, 0, kAllow}, {L"Guests", 0x1F01FF, 0, kAllow}});
    EXPECT_FALSE(has(L"Users", a, kAll));  // GENERIC_ALL alone does not count
    EXPECT_TRUE(has(L"Guests", a, kAll));
    Tree::give(a, {{L"Guests", 0x1F01FF & ~0x100000u, 0, kAllow}});
    EXPECT_FALSE(has(L"Guests", a, kAll));
    EXPECT_TRUE(has(L"Guests", a, kDel));
    EXPECT_FALSE(has(L"guests", a, kDel));
    EXPECT_FALSE(has(L"Guests ", a, kDel));
    // Hidden ACEs count.
    a->ace(0)->visible = 0;
    EXPECT_TRUE(has(L"Guests", a, kDel));
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(DynamicFilters, RightWithoutMaskIsHeldByNoAceAndSaysNothing) {
    Tree::give(a, {{L"Users", 0x1F01FF, 0, kAllow},
                   {L"Other", 0x1F01FF, 0, kAllow},
                   {L"Users", 0x1F01FF, kInherited, kAllow}});
    EXPECT_FALSE(has(L"Users", a, 15));
    EXPECT_FALSE(has(L"Users", a, 0xFFFFFFFFu));
    EXPECT_TRUE(has(L"Users", a, 14));  // the last valid index
    EXPECT_TRUE(ui.events().empty());
    EXPECT_FALSE(FilterRightMask(15).has_value());
    EXPECT_EQ(FilterRightMask(14), 0x100000u);
    EXPECT_EQ(FilterRightMask(0), 0x1F01FFu);
    EXPECT_EQ(FilterRightMask(13), 0x40u);
}

// --- rows ---------------------------------------------------------------

TEST_F(DynamicFilters, AnyUserRowsOfTheWindowAreCodesSixAndSeven) {
    EXPECT_EQ(EffectiveRuleCode(row(0, L"<any user>")), 6u);
    EXPECT_EQ(EffectiveRuleCode(row(1, L"<any user>")), 7u);
    EXPECT_EQ(EffectiveRuleCode(row(2, L"<any user>")), 2u);
    EXPECT_EQ(EffectiveRuleCode(row(0, L"<Any User>")), 0u);
    EXPECT_EQ(EffectiveRuleCode(row(0, L"<any user> ")), 0u);
    EXPECT_EQ(EffectiveRuleCode(row(7, L"Users")), 7u);
    EXPECT_EQ(EffectiveRuleCode(row(42, L"<any user>")), 42u);

    Tree::give(a, {{L"Users", 0x2, 0, kAllow}});
    Tree::give(file, {{L"Users", 0x1, 0, kAllow}, {L"Admins", 0x3, 0, kAllow}});
    // Admins has every right on the other entries.
    const V withDel = V{root, temp, deep, x};
    EXPECT_EQ(orRows({row(kRuleHasPermission, L"<any user>", kDel)}), withDel);
    EXPECT_EQ(orRows({row(kRuleAnyUserHasPermission, L"ignored", kDel)}), withDel);
    // Nobody is named "<Any User>": as an account row it holds nowhere.
    EXPECT_EQ(orRows({row(kRuleHasPermission, L"<Any User>", kDel)}), V{});
    EXPECT_EQ(orRows({row(kRuleLacksPermission, L"<Any User>", kDel)}),
              (V{root, temp, a, deep, x, file}));
    // Some trustee of the entry lacks the right.
    EXPECT_EQ(orRows({row(kRuleLacksPermission, L"<any user>", kDel)}), (V{a, file}));
    EXPECT_EQ(orRows({row(kRuleAnyUserLacksPermission, L"", kWr)}), V{file});
    EXPECT_EQ(orRows({row(kRuleAnyUserLacksPermission, L"", kRd)}), V{a});
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(DynamicFilters, OwnerAndGroupCompareExactly) {
    a->setOwner(L"Alice", L"DOM");
    file->setOwner(L"alice", L"OTHER");
    temp->setGroup(L"Staff", L"DOM");
    x->setGroup(L"STAFF", L"DOM");
    EXPECT_EQ(orRows({row(kRuleIsOwner, L"Alice")}), V{a});
    EXPECT_EQ(orRows({row(kRuleIsOwner, L"alice")}), V{file});
    EXPECT_EQ(andRows({row(kRuleIsNotOwner, L"Admins")}), (V{a, file}));
    EXPECT_EQ(orRows({row(kRuleIsGroup, L"Staff")}), V{temp});
    EXPECT_EQ(andRows({row(kRuleIsNotGroup, L"None")}), (V{temp, x}));
    EXPECT_EQ(andRows({row(kRuleIsNotGroup, L"staff")}), (V{root, temp, a, deep, x, file}));
    // An unset owner has the empty name.
    deep->setOwnerAccount(0);
    EXPECT_EQ(orRows({row(kRuleIsOwner, L"")}), V{deep});
    // The domain does not take part.
    x->setOwner(L"Admins", L"ELSEWHERE");
    EXPECT_EQ(orRows({row(kRuleIsOwner, L"Admins")}), (V{root, temp, x}));
}

TEST_F(DynamicFilters, FileNameRowsMatchTheFullPathIgnoringCase) {
    EXPECT_EQ(orRows({row(kRulePathContains, L"TEMP")}), (V{temp, a, deep, x}));
    EXPECT_EQ(orRows({row(kRulePathContains, L"c:\\DATA\\TEMP\\A.TXT")}), V{a});
    EXPECT_EQ(orRows({row(kRulePathContains, L"\\data\\temp\\a.txt ")}), V{});
    EXPECT_EQ(andRows({row(kRulePathLacks, L"Temp")}), (V{root, file}));
    // The empty text occurs in every path.
    EXPECT_EQ(andRows({row(kRulePathContains, L"")}), (V{root, temp, a, deep, x, file}));
    EXPECT_EQ(andRows({row(kRulePathLacks, L"")}), V{});
    // Letters beyond ASCII fold by the simple case mapping.
    CDirEntry* u = tree.add(temp, L"\x00C4rger-\x0416\x0443\x043A");  // Ärger-Жук
    Tree::give(u, {{L"Admins", 0x1F01FF, kInherited, kAllow}});
    EXPECT_EQ(orRows({row(kRulePathContains, L"\x00E4RGER-\x0436\x0423\x041A")}), V{u});
    EXPECT_EQ(orRows({row(kRulePathContains, L"\\ARGER")}), V{});
}

TEST_F(DynamicFilters, FileNameRowsUseAStoredPath) {
    deep->setPath(L"\\\\server\\moved\\Deep");
    EXPECT_EQ(deep->path(), L"\\\\server\\moved\\Deep");
    EXPECT_EQ(orRows({row(kRulePathContains, L"MOVED")}), (V{deep, x}));
    EXPECT_EQ(orRows({row(kRulePathContains, L"c:\\data\\temp\\")}), V{a});
    EXPECT_EQ(orRows({row(kRulePathContains, L"deep\\x")}), V{x});
}

// --- combinations ------------------------------------------------------

TEST_F(DynamicFilters, AndWithoutRowsIsTheStaticFilter) {
    Tree::give(temp, {{L"Users", 0x2, 0, kDeny}});
    file->errorFlags = 1;
    for (std::uint8_t f = 1; f <= 8; ++f) {
        for (std::uint32_t depth : {0u, 1u, 2u}) {
            const V expected = staticResult(f, depth);
            SetAllVisible(tree.list, false);
            EXPECT_EQ(andRows({}, f, depth), expected) << int(f) << " " << depth;
        }
    }
    EXPECT_EQ(andRows({}, kHasDenyEntry), V{temp});
}

TEST_F(DynamicFilters, AndNarrowsTheStaticFilter) {
    Tree::give(a, {{L"Users", 0x2, 0, kAllow}});
    Tree::give(x, {{L"Users", 0x2, 0, kAllow}});
    Tree::give(file, {{L"Users", 0x2, 0, kAllow}});
    const FilterRow users = row(kRuleHasPermission, L"Users", kWr);
    EXPECT_EQ(andRows({users}), (V{a, x, file}));
    EXPECT_EQ(andRows({users}, kShowAll, 2), (V{a, file}));
    EXPECT_EQ(andRows({users, row(kRulePathContains, L"temp")}), (V{a, x}));
    EXPECT_EQ(andRows({users, row(kRulePathContains, L"temp"), row(kRuleIsGroup, L"x")}), V{});
    // Directories only: nothing of it grants Users wr.
    EXPECT_EQ(andRows({users}, kDirectoriesOnly), V{});
    EXPECT_EQ(andRows({row(kRulePathContains, L"temp")}, kDirectoriesOnly), (V{temp, deep}));
}

TEST_F(DynamicFilters, OrWithoutRowsHidesEverything) {
    EXPECT_EQ(orRows({}), V{});
    EXPECT_EQ(tree.list.visibleCount(), 1u);
}

TEST_F(DynamicFilters, OrKeepsDotsAndDeepEntriesHidden) {
    const FilterRow everywhere = row(kRulePathContains, L"data");
    EXPECT_EQ(orRows({everywhere}), (V{root, temp, a, deep, x, file}));
    EXPECT_EQ(orRows({everywhere}, 2), (V{root, temp, a, deep, file}));
    EXPECT_EQ(orRows({everywhere}, 1), (V{root, temp, file}));
    // A row that holds only for the dot entry and the deepest one.
    EXPECT_EQ(orRows({row(kRulePathContains, L"\\."), row(kRulePathContains, L"\\x")}), V{x});
    EXPECT_EQ(orRows({row(kRulePathContains, L"\\."), row(kRulePathContains, L"\\x")}, 2), V{});
    // Also when an account row holds for them (nobody is named Users here).
    EXPECT_EQ(orRows({row(kRuleLacksPermission, L"Users", kWr)}, 2),
              (V{root, temp, a, deep, file}));
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(DynamicFilters, OrReplacesTheStaticFilter) {
    Tree::give(file, {{L"Users", 0x2, 0, kAllow}});
    filters.rows = {row(kRuleHasPermission, L"Users", kWr), row(kRuleIsOwner, L"nobody"),
                    row(kRulePathContains, L"deep")};
    filters.combination = 7;  // any non-zero value is OR
    // Directories only would hide file.txt and x.
    ApplyDynamicFilters(filters, tree.list, nullptr, kDirectoriesOnly, 0, rights, tables().users,
                        ui);
    EXPECT_EQ(tree.visible(), (V{deep, x, file}));
    EXPECT_TRUE(ui.events().empty());
}

// --- "<any user>" and the account name list ------------------------------

std::vector<Ace> randomAces(std::mt19937& rng) {
    static const wchar_t* const kTrustees[] = {L"Users", L"users", L"Admins",          L"",
                                               nullptr,  L"Guest", L"Backup Operators"};
    static const std::uint32_t kMasks[] = {0x1F01FF, 0x1301BF, 0x1200A9,   0x100116, 0x2,
                                           0x1,      0x10000,  0x10000000, 0x0F01FF};
    static const std::uint8_t kFlags[] = {0x00, 0x10, 0x08, 0x13, 0x03, 0x1B};
    std::vector<Ace> aces(rng() % 9);
    for (Ace& ace : aces) {
        ace.trustee = kTrustees[rng() % 7];
        ace.mask = rng() % 4 == 0 ? static_cast<std::uint32_t>(rng()) : kMasks[rng() % 9];
        ace.flags = kFlags[rng() % 6];
        ace.type = static_cast<std::uint8_t>(rng() % 5 == 0 ? kDeny : (rng() % 9 == 0 ? 2 : 0));
    }
    return aces;
}

// A flat dataset of varied entries: one root with `count` files.
class VariedEntries : public ::testing::Test {
  protected:
    VariedEntries() {
        std::mt19937 rng(20240611);
        root = tree.add(nullptr, L"C:\\v");
        Tree::give(root, randomAces(rng));
        entries.push_back(root);
        CDirEntry* last = nullptr;
        for (int i = 0; i < 400; ++i) {
            DatasetBuilder build(tree.list);
            if (last == nullptr) {
                build.placeUnder(root);
            } else {
                build.placeAfter(last);
            }
            CDirEntry* e = build.addLoadEntry();
            e->setName(L"f" + std::to_wstring(i));
            Tree::give(e, randomAces(rng));
            entries.push_back(e);
            last = e;
        }
        RebuildNameTables(tree.list, tables);
    }

    // The visibility one OR row gives every entry.
    std::vector<bool> rowResult(const FilterRow& r, const std::vector<std::wstring>& names) {
        return rowsResult({r}, 1, names);
    }
    std::vector<bool> rowsResult(std::vector<FilterRow> rows, std::uint32_t combination,
                                 const std::vector<std::wstring>& names) {
        DynamicFilterSet set;
        set.rows = std::move(rows);
        set.combination = combination;
        ApplyDynamicFilters(set, tree.list, nullptr, kShowAll, 0, rights, names, ui);
        std::vector<bool> result;
        for (CDirEntry* e : entries) {
            result.push_back(e->visible != 0);
        }
        return result;
    }
    // The same rows the straightforward way.
    std::vector<bool> walkAnyHas(std::uint32_t right, const std::vector<std::wstring>& names) {
        std::vector<bool> result;
        for (CDirEntry* e : entries) {
            bool holds = false;
            for (const std::wstring& name : names) {
                if (TrusteeHasRight(name, *e, right)) {
                    holds = true;
                    break;
                }
            }
            result.push_back(holds);
        }
        return result;
    }
    std::vector<bool> walkAnyLacks(std::uint32_t right) {
        std::vector<bool> result;
        for (CDirEntry* e : entries) {
            bool holds = false;
            for (std::uint32_t i = 0; i < e->aceCount() && !holds; ++i) {
                holds = !TrusteeHasRight(e->ace(i)->trustee(test::NamesOf(e)), *e, right);
            }
            result.push_back(holds);
        }
        return result;
    }

    sim::RecordingInteraction ui;
    Tree tree{ui};
    DisplayedRights rights;
    NameTables tables;
    CDirEntry* root = nullptr;
    std::vector<CDirEntry*> entries;
};

TEST_F(VariedEntries, AnyUserEqualsWalkingTheWholeAccountList) {
    // Every trustee name; unset names are the empty one.
    ASSERT_EQ(tables.users.size(), 6u);
    std::size_t heldSomewhere = 0, failedSomewhere = 0;
    for (std::uint32_t right = 0; right <= 14; ++right) {
        const std::vector<bool> anyHas = walkAnyHas(right, tables.users);
        const std::vector<bool> anyLacks = walkAnyLacks(right);
        EXPECT_EQ(rowResult(row(kRuleHasPermission, L"<any user>", right), tables.users), anyHas)
            << right;
        EXPECT_EQ(rowResult(row(kRuleAnyUserHasPermission, L"", right), tables.users), anyHas)
            << right;
        EXPECT_EQ(rowResult(row(kRuleLacksPermission, L"<any user>", right), tables.users),
                  anyLacks)
            << right;
        // Rows naming different rights each test their own mask, in both
        // combinations.
        const FilterRow rows[] = {row(kRuleHasPermission, L"Users", (right + 5) % 15),
                                  row(kRuleLacksPermission, L"<any user>", right),
                                  row(kRuleHasPermission, L"Admins", (right + 9) % 15)};
        std::vector<bool> any(entries.size(), false), every(entries.size(), true);
        for (const FilterRow& r : rows) {
            const std::vector<bool> one = rowResult(r, tables.users);
            for (std::size_t i = 0; i < one.size(); ++i) {
                any[i] = any[i] || one[i];
                every[i] = every[i] && one[i];
            }
        }
        EXPECT_EQ(rowsResult({rows[0], rows[1], rows[2]}, 1, tables.users), any) << right;
        EXPECT_EQ(rowsResult({rows[0], rows[1], rows[2]}, 0, tables.users), every) << right;
        heldSomewhere += static_cast<std::size_t>(std::count(anyHas.begin(), anyHas.end(), true));
        failedSomewhere +=
            static_cast<std::size_t>(std::count(anyLacks.begin(), anyLacks.end(), false));
        // Account rows agree with TrusteeHasRight too.
        for (const std::wstring& name : tables.users) {
            std::vector<bool> expected;
            for (CDirEntry* e : entries) {
                expected.push_back(TrusteeHasRight(name, *e, right));
            }
            EXPECT_EQ(rowResult(row(kRuleHasPermission, name.c_str(), right), tables.users),
                      expected);
            expected.flip();
            EXPECT_EQ(rowResult(row(kRuleLacksPermission, name.c_str(), right), tables.users),
                      expected);
        }
    }
    // The data is varied enough to tell the rules apart.
    EXPECT_GT(heldSomewhere, 400u);
    EXPECT_GT(failedSomewhere, 400u);
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(VariedEntries, AnyUserOnTheShownDatasetCountsOnlyListedNames) {
    // A list from before "Users" was added: walking it never tries Users.
    std::vector<std::wstring> older;
    for (const std::wstring& name : tables.users) {
        if (name != L"Users") {
            older.push_back(name);
        }
    }
    ASSERT_EQ(older.size() + 1, tables.users.size());
    const std::vector<bool> expected = walkAnyHas(kWr, older);
    EXPECT_EQ(rowResult(row(kRuleHasPermission, L"<any user>", kWr), older), expected);
    EXPECT_NE(expected, walkAnyHas(kWr, tables.users));
    EXPECT_EQ(rowResult(row(kRuleHasPermission, L"<any user>", kWr), {}),
              std::vector<bool>(entries.size(), false));
    // "Does not have permission" looks at the entry's own trustees, listed
    // or not.
    const std::vector<bool> lacks = walkAnyLacks(kWr);
    EXPECT_EQ(rowResult(row(kRuleLacksPermission, L"<any user>", kWr), older), lacks);
    EXPECT_EQ(rowResult(row(kRuleLacksPermission, L"<any user>", kWr), {}), lacks);
    EXPECT_NE(lacks, std::vector<bool>(entries.size(), false));
    EXPECT_TRUE(ui.events().empty());
}

// --- broken rows ----------------------------------------------------------

TEST_F(DynamicFilters, RowWithoutMaskHoldsForNoEntryAndIsReportedOncePerPass) {
    Tree::give(a, {{L"Users", 0x2, 0, kAllow}, {L"Users", 0x1, kInherited, kAllow}});
    Tree::give(x, {{L"Users", 0x2, 0, kDeny}});
    const Interaction once{Interaction::Kind::Message,
                           L"internal error: rightmask in dynamic filter invalid",
                           L"filter",
                           MessageIcon::None,
                           MessageButtons::Ok,
                           0};
    // AND: "has" and "does not have" alike hide everything.
    EXPECT_EQ(andRows({row(kRuleHasPermission, L"Users", 15)}), V{});
    EXPECT_EQ(ui.messages(), std::vector<Interaction>{once});
    ui.clear();
    EXPECT_EQ(andRows({row(kRuleLacksPermission, L"Users", 99)}), V{});
    EXPECT_EQ(andRows({row(kRuleLacksPermission, L"<any user>", 99)}), V{});
    EXPECT_EQ(ui.messages().size(), 2u);  // one for each pass
    ui.clear();
    // OR: it shows nothing, the other rows still do; two such rows still
    // make one message.
    EXPECT_EQ(orRows({row(kRuleLacksPermission, L"Users", 99), row(kRulePathContains, L"deep"),
                      row(kRuleAnyUserLacksPermission, L"", 15)}),
              (V{deep, x}));
    EXPECT_EQ(ui.messages(), std::vector<Interaction>{once});
    ui.clear();
    // Rows that do not look at a right ignore it.
    EXPECT_EQ(andRows({row(kRulePathContains, L"deep", 99), row(kRuleIsOwner, L"Admins", 99)}),
              (V{deep, x}));
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(DynamicFilters, UnknownCodeIsReportedAndSkipped) {
    Tree::give(file, {{L"Users", 0x2, 0, kAllow}});
    const FilterRow unknown = row(10, L"Users", kWr);
    // AND: skipped, the other rows decide; one message with an error icon.
    EXPECT_EQ(andRows({unknown, row(kRulePathContains, L"file")}), V{file});
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0],
              (Interaction{
                  Interaction::Kind::Message, L"Internal error: dynmamic filter is not implemented",
                  L"error in dynamic filters", MessageIcon::Error, MessageButtons::Ok, 0}));
    ui.clear();
    EXPECT_EQ(andRows({unknown}), (V{root, temp, a, deep, x, file}));
    ui.clear();
    // OR: it shows nothing; the message has no icon.
    EXPECT_EQ(orRows({row(0xFFFFFFFFu, L"<any user>", kWr)}), V{});
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, L"Internal error: dynmamic filter is not implemented");
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::None);
    ui.clear();
    // Messages come in row order.
    orRows({row(kRuleHasPermission, L"Users", 99), unknown});
    const std::vector<std::wstring> texts = ui.messageTexts();
    EXPECT_EQ(texts,
              (std::vector<std::wstring>{L"internal error: rightmask in dynamic filter invalid",
                                         L"Internal error: dynmamic filter is not implemented"}));
}

// --- compare mode ---------------------------------------------------------

TEST_F(DynamicFilters, CompareModeFiltersBothDatasets) {
    sim::RecordingInteraction otherUi;
    Tree other(otherUi);
    CDirEntry* oRoot = other.add(nullptr, L"C:\\data");
    CDirEntry* oTemp = other.add(oRoot, L"temp");
    CDirEntry* oFile = other.add(oTemp, L"old.txt");
    Tree::give(oRoot, {{L"Admins", 0x1F01FF, 0, kDeny}});
    Tree::give(oTemp, {{L"Admins", 0x1F01FF, kInherited, kAllow}});
    // Only the compared dataset names Auditors.
    Tree::give(oFile, {{L"Auditors", 0x2, 0, kAllow}});
    Tree::give(file, {{L"Admins", 0x1F01FF, 0, kDeny}});

    filters.rows = {row(kRuleHasPermission, L"<any user>", kWr)};
    ApplyDynamicFilters(filters, tree.list, &other.list, kHasDenyEntry, 0, rights, tables().users,
                        ui);
    // The deny rule narrows the shown dataset only: Admins' deny hides
    // file.txt there, the compared root is kept by its own rights.
    EXPECT_EQ(tree.visible(), V{});
    EXPECT_EQ(other.visible(), (V{oTemp, oFile}));

    filters.combination = 1;
    filters.rows = {row(kRuleHasPermission, L"<any user>", kDel),
                    row(kRulePathContains, L"DATA\\TEMP\\OLD")};
    ApplyDynamicFilters(filters, tree.list, &other.list, kHasDenyEntry, 0, rights, tables().users,
                        ui);
    EXPECT_EQ(tree.visible(), (V{root, temp, a, deep, x}));
    EXPECT_EQ(other.visible(), (V{oTemp, oFile}));

    // Directories only applies to the compared dataset too.
    filters.combination = 0;
    filters.rows.clear();
    ApplyDynamicFilters(filters, tree.list, &other.list, kDirectoriesOnly, 0, rights,
                        tables().users, ui);
    EXPECT_EQ(other.visible(), (V{oRoot, oTemp}));
    EXPECT_TRUE(ui.events().empty());

    // Unknown codes are reported once for each dataset.
    filters.rows = {row(12, L"")};
    ApplyDynamicFilters(filters, tree.list, &other.list, kShowAll, 0, rights, tables().users, ui);
    EXPECT_EQ(ui.messages().size(), 2u);
    EXPECT_TRUE(otherUi.events().empty());
}

// --- editing the rows --------------------------------------------------------

std::vector<std::wstring> texts(const DynamicFilterSet& set) {
    std::vector<std::wstring> result;
    for (const FilterRow& r : set.rows) {
        result.push_back(r.text);
    }
    return result;
}

TEST(FilterRows, InsertPlacesTheRowAfterTheGivenOne) {
    DynamicFilterSet set;
    EXPECT_TRUE(InsertFilterRow(set, row(0, L"a"), 5));  // no rows: row 0 whatever `after` says
    InsertFilterRow(set, row(0, L"b"), 0);
    InsertFilterRow(set, row(0, L"c"), 0);
    EXPECT_EQ(texts(set), (std::vector<std::wstring>{L"a", L"c", L"b"}));
    InsertFilterRow(set, row(3, L"d", 7), 2);
    InsertFilterRow(set, row(0, L"e"), 99);
    EXPECT_EQ(texts(set), (std::vector<std::wstring>{L"a", L"c", L"b", L"d", L"e"}));
    EXPECT_EQ(set.rows[3].op, 3u);
    EXPECT_EQ(set.rows[3].right, 7u);
    InsertFilterRow(set, row(0, L"f"), static_cast<std::size_t>(-1));
    EXPECT_EQ(set.rows.back().text, L"f");
}

TEST(FilterRows, RowsThatCannotGrowEndTheRunWithTheAllocationMessage) {
    const ProcessEnd end = RowAllocationEnd();
    EXPECT_EQ(end.text, L"Error allocating memory for dynamic filters");
    EXPECT_EQ(end.caption, L"Error allocating memory for dynamic filters");
    EXPECT_EQ(end.exitCode, 1);
}

TEST(FilterRows, DeleteMovesTheFollowingRowsDown) {
    DynamicFilterSet set;
    DeleteFilterRow(set, 0);  // no rows: nothing happens
    EXPECT_TRUE(set.rows.empty());
    for (const wchar_t* t : {L"a", L"b", L"c", L"d"}) {
        InsertFilterRow(set, row(0, t), set.rows.size() - 1);
    }
    ASSERT_EQ(texts(set), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    const std::size_t capacity = set.rows.capacity();
    DeleteFilterRow(set, 1);
    EXPECT_EQ(texts(set), (std::vector<std::wstring>{L"a", L"c", L"d"}));
    DeleteFilterRow(set, 3);  // past the end
    EXPECT_EQ(texts(set), (std::vector<std::wstring>{L"a", L"c", L"d"}));
    DeleteFilterRow(set, 2);
    DeleteFilterRow(set, 0);
    EXPECT_EQ(texts(set), (std::vector<std::wstring>{L"c"}));
    EXPECT_EQ(set.rows.capacity(), capacity);
}

}  // namespace
}  // namespace quorel
