// Message-map lookup along the chain of base maps, and command dispatch.
#include "mfc.h"

const AFX_MSGMAP CCmdTarget::messageMap = {&CCmdTarget::_GetBaseMessageMap,
                                           &CCmdTarget::_GetMessageEntries};

const AFX_MSGMAP_ENTRY *CCmdTarget::_GetMessageEntries() noexcept
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    return entries;
}

const AFX_MSGMAP *CCmdTarget::GetMessageMap() const noexcept { return &CCmdTarget::messageMap; }

static bool entry_matches(const AFX_MSGMAP_ENTRY &entry, UINT message, UINT code, UINT id)
{
    if (entry.nMessage != message)
        return false;
    if (message != WM_COMMAND)
        return true;
    return entry.nCode == code && entry.nID <= id && id <= entry.nLastID;
}

const AFX_MSGMAP_ENTRY *AfxFindMessageEntry(const AFX_MSGMAP *map, UINT message, UINT code, UINT id)
{
    for (; map != nullptr; map = map->pfnGetBaseMap()) {
        for (const AFX_MSGMAP_ENTRY *entry = map->pfnGetEntries(); entry->nMessage != 0; ++entry) {
            if (entry_matches(*entry, message, code, id))
                return entry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode) noexcept
{
    const AFX_MSGMAP_ENTRY *entry =
        AfxFindMessageEntry(GetMessageMap(), WM_COMMAND, static_cast<UINT>(nCode), nID);
    if (entry == nullptr)
        return FALSE;
    entry->pfn(this, 0, 0);
    return TRUE;
}
