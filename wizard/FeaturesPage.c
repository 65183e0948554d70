/* The install type and the feature tree. The engine owns the selection: after every change the
   tree shows the states it reports, so required features stay checked. */
#include "wizard/Host.h"
#include "wizard/Pages.h"
#include "wizard/Plugin.h"
#include "wizard/WizardIds.h"

#include <commctrl.h>

#include <stdlib.h>
#include <string.h>

/* Posted by the tree's click and key handlers: the tree flips the box after telling us. */
#define WM_TOGGLED (WM_APP + 2)

/* Feature blocks: ID, Name, Description, Required, parent ID, next ID.
   Install type blocks: ID, Name, Description, Custom, next ID. */
typedef struct {
    void* Block;
    HTREEITEM Item;
} TFeature;

static TFeature* Features;
static int FeatureCount;
static void** Types;
static int TypeCount;

/* Every block of a walk with CM_GETFEATURE or CM_GETINSTALLTYPE, from the first. */
static int Walk(int32_t message, int nextField, void*** blocks) {
    int count = 0;
    void* block = HostBlock(message, NULL);
    *blocks = NULL;
    while (block) {
        void** grown = realloc(*blocks, sizeof(void*) * (size_t)(count + 1));
        const char* next = BlockText(block, nextField);
        if (!grown) {
            free(block);
            break;
        }
        *blocks = grown;
        (*blocks)[count++] = block;
        block = next ? HostBlock(message, next) : NULL;
    }
    return count;
}

static BOOL Wanted(void) {
    void* feature = HostBlock(CM_GETFEATURE, NULL);
    void* type = HostBlock(CM_GETINSTALLTYPE, NULL);
    BOOL any = feature || type;
    free(feature);
    free(type);
    return any;
}

static HTREEITEM ItemOf(const char* id) {
    int i;
    for (i = 0; id && i < FeatureCount; ++i)
        if (!lstrcmpiA(BlockText(Features[i].Block, 0), id))
            return Features[i].Item;
    return TVI_ROOT;
}

static void FillTree(HWND tree) {
    void** blocks;
    int count = Walk(CM_GETFEATURE, 5, &blocks), i;
    Features = calloc((size_t)count + 1, sizeof *Features);
    for (i = 0; i < count && !Features; ++i)
        free(blocks[i]);
    for (i = 0; Features && i < count; ++i) {
        TVINSERTSTRUCTA insert;
        ZeroMemory(&insert, sizeof insert);
        insert.hParent = ItemOf(BlockText(blocks[i], 4));
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = (char*)BlockText(blocks[i], 1);
        insert.item.lParam = i;
        Features[i].Block = blocks[i];
        Features[i].Item = (HTREEITEM)SendMessageA(tree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
        FeatureCount = i + 1;
    }
    for (i = 0; Features && i < FeatureCount; ++i)
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)Features[i].Item);
    free(blocks);
}

static void FillTypes(HWND combo) {
    int i;
    TypeCount = Walk(CM_GETINSTALLTYPE, 4, &Types);
    for (i = 0; i < TypeCount; ++i) {
        LRESULT at = SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)BlockText(Types[i], 1));
        SendMessageA(combo, CB_SETITEMDATA, (WPARAM)at, i);
    }
}

static int CurrentType(HWND page) {
    LRESULT at = SendDlgItemMessageA(page, IDC_TYPES, CB_GETCURSEL, 0, 0);
    return at == CB_ERR ? -1 : (int)SendDlgItemMessageA(page, IDC_TYPES, CB_GETITEMDATA, at, 0);
}

/* Checks as the engine has them; the tree can be changed only for a custom type. */
static void ShowStates(HWND page) {
    HWND tree = GetDlgItem(page, IDC_TREE);
    int type = CurrentType(page), i;
    for (i = 0; i < FeatureCount; ++i) {
        int32_t state = HostCommand(CM_GETFEATURESTATE, BlockText(Features[i].Block, 0), NULL);
        TVITEMA item;
        ZeroMemory(&item, sizeof item);
        item.mask = TVIF_STATE;
        item.hItem = Features[i].Item;
        item.stateMask = TVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(state ? 2 : 1);
        SendMessageA(tree, TVM_SETITEMA, 0, (LPARAM)&item);
    }
    EnableWindow(tree, TypeCount == 0 || (type >= 0 && BlockNumber(Types[type], 3) != 0));
}

static void SelectCurrentType(HWND page) {
    int i;
    for (i = 0; i < TypeCount; ++i)
        if (!lstrcmpiA(BlockText(Types[i], 0), CurrentInstallType))
            SendDlgItemMessageA(page, IDC_TYPES, CB_SETCURSEL, (WPARAM)i, 0);
    SetDlgItemTextA(page, IDC_DESCRIPTION,
                    CurrentType(page) >= 0 ? BlockText(Types[CurrentType(page)], 2) : "");
}

static void Toggled(HWND page, HTREEITEM handle) {
    TVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = TVIF_STATE | TVIF_PARAM;
    item.hItem = handle;
    item.stateMask = TVIS_STATEIMAGEMASK;
    if (!handle || !SendDlgItemMessageA(page, IDC_TREE, TVM_GETITEMA, 0, (LPARAM)&item) ||
        item.lParam < 0 || item.lParam >= FeatureCount)
        return;
    HostCommand(CM_SETFEATURESTATE, BlockText(Features[item.lParam].Block, 0),
                (void*)(intptr_t)((item.state & TVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2)));
    ShowStates(page);
}

static BOOL Notified(HWND page, const NMHDR* header) {
    HWND tree = header->hwndFrom;
    if (header->code == NM_CLICK) {
        TVHITTESTINFO hit;
        DWORD at = GetMessagePos();
        hit.pt.x = (short)LOWORD(at);
        hit.pt.y = (short)HIWORD(at);
        ScreenToClient(tree, &hit.pt);
        if (SendMessageA(tree, TVM_HITTEST, 0, (LPARAM)&hit) && (hit.flags & TVHT_ONITEMSTATEICON))
            PostMessageA(page, WM_TOGGLED, 0, (LPARAM)hit.hItem);
    } else if (header->code == TVN_KEYDOWN && ((const NMTVKEYDOWN*)header)->wVKey == VK_SPACE) {
        PostMessageA(page, WM_TOGGLED, 0, SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    } else if (header->code == TVN_SELCHANGEDA) {
        LPARAM index = ((const NMTREEVIEWA*)header)->itemNew.lParam;
        if (index >= 0 && index < FeatureCount)
            SetDlgItemTextA(page, IDC_DESCRIPTION, BlockText(Features[index].Block, 2));
    } else {
        return FALSE;
    }
    return TRUE;
}

static INT_PTR CALLBACK Proc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        FillTypes(GetDlgItem(page, IDC_TYPES));
        FillTree(GetDlgItem(page, IDC_TREE));
        EnableWindow(GetDlgItem(page, IDC_TYPES), TypeCount > 0);
        return FALSE;
    case WM_DESTROY: {
        int i;
        for (i = 0; i < FeatureCount; ++i)
            free(Features[i].Block);
        for (i = 0; i < TypeCount; ++i)
            free(Types[i]);
        free(Features);
        free(Types);
        Features = NULL;
        Types = NULL;
        FeatureCount = TypeCount = 0;
        return FALSE;
    }
    case WM_NOTIFY:
        return wParam == IDC_TREE && Notified(page, (const NMHDR*)lParam);
    case WM_TOGGLED:
        Toggled(page, (HTREEITEM)lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_TYPES && HIWORD(wParam) == CBN_SELCHANGE &&
            CurrentType(page) >= 0) {
            HostCommand(CM_SETINSTALLTYPE, BlockText(Types[CurrentType(page)], 0), NULL);
            SelectCurrentType(page);
            ShowStates(page);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

static void Enter(HWND page) {
    SelectCurrentType(page);
    ShowStates(page);
}

static const TControlText Texts[] = {{IDC_TYPELABEL, T_INSTALLTYPE}, {0, T_COUNT}};

const TPageKind FeaturesPage = {DLG_FEATURES, T_FEATURESTITLE, Proc, Wanted, Enter, NULL, NULL,
                                Texts};
