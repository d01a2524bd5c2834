// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The runtime's data lists: a table of number and text items read in order.
#include "runtime/arrays.h"
#include "runtime/convert.h"
#include "runtime/lifecycle.h"

namespace {
DataList* currentList = nullptr;

const DataItem& nextItem() {
    if (currentList == nullptr || currentList->items == nullptr || currentList->cursor < 0 ||
        currentList->cursor >= currentList->count)
        runtimeError(kErrorNoData);
    return currentList->items[currentList->cursor++];
}
}  // namespace

void selectDataList(DataList& list) {
    currentList = &list;
    list.cursor = 0;
}

void readDataText(TextValue& out) {
    const DataItem& item = nextItem();
    if (item.text != nullptr)
        textAssignChars(out, item.text);
    else
        textAssignNumber(out, item.number);
}

void readDataNumber(double& out) {
    const DataItem& item = nextItem();
    out = item.text != nullptr ? textToNumber(item.text) : item.number;
}
