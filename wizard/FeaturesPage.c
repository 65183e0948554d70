/* The install type and the feature tree. The engine owns the selection: after every change the
   tree shows the states it reports, so required features stay checked. The boxes are state
   images of our own rather than the tree's check boxes, which toggle themselves and lose the
   checks set before the tree is first painted; they also show a partly chosen feature. */
#include "wizard/Host.h"
#include "wizard/Pages.h"
#include "wizard/Plugin.h"
#include "wizard/WizardIds.h"

#include <commctrl.h>

#include <stdlib.h>
#include <string.h>

/* State images: the engine's state 0, 1 or 2 plus one. */
#define UNCHECKED 1

/* Feature blocks: ID, Name, Description, Required, parent ID, next ID.
   Install type blocks: ID, Name, Description, Custom, next ID. */
typedef struct {
    void* Block;
    HTREEITEM Item;
} TFeature;

static HIMAGELIST Boxes;
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

/* The features can be chosen one by one for a custom type, or when there are no types. */
static BOOL Choosable(HWND page) {
    int type = CurrentType(page);
    return TypeCount == 0 || (type >= 0 && BlockNumber(Types[type], 3) != 0);
}

/* Checks as the engine has them. The tree stays enabled (a disabled one does not show its
   checks everywhere); a change that is not allowed is undone by showing the states again. */
static void ShowStates(HWND page) {
    HWND tree = GetDlgItem(page, IDC_TREE);
    int i;
    for (i = 0; i < FeatureCount; ++i) {
        int32_t state = HostCommand(CM_GETFEATURESTATE, BlockText(Features[i].Block, 0), NULL);
        TVITEMA item;
        ZeroMemory(&item, sizeof item);
        item.mask = TVIF_STATE;
        item.hItem = Features[i].Item;
        item.stateMask = TVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(state + UNCHECKED);
        SendMessageA(tree, TVM_SETITEMA, 0, (LPARAM)&item);
    }
}

static void SelectCurrentType(HWND page) {
    int i;
    for (i = 0; i < TypeCount; ++i)
        if (!lstrcmpiA(BlockText(Types[i], 0), CurrentInstallType))
            SendDlgItemMessageA(page, IDC_TYPES, CB_SETCURSEL, (WPARAM)i, 0);
    SetDlgItemTextA(page, IDC_DESCRIPTION,
                    CurrentType(page) >= 0 ? BlockText(Types[CurrentType(page)], 2) : "");
}

/* Unchecked boxes select their feature, the others deselect it. */
static void Toggle(HWND page, HTREEITEM handle) {
    TVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = TVIF_STATE | TVIF_PARAM;
    item.hItem = handle;
    item.stateMask = TVIS_STATEIMAGEMASK;
    if (!handle || !SendDlgItemMessageA(page, IDC_TREE, TVM_GETITEMA, 0, (LPARAM)&item) ||
        item.lParam < 0 || item.lParam >= FeatureCount)
        return;
    if (Choosable(page))
        HostCommand(CM_SETFEATURESTATE, BlockText(Features[item.lParam].Block, 0),
                    (void*)(intptr_t)(item.state == INDEXTOSTATEIMAGEMASK(UNCHECKED)));
    ShowStates(page);
}

/* Unchecked, checked, and checked but dimmed for a partly chosen feature; index 0 is unused. */
static HIMAGELIST CreateBoxes(void) {
    static const UINT looks[] = {DFCS_BUTTONCHECK | DFCS_FLAT,
                                 DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED,
                                 DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED | DFCS_INACTIVE};
    HDC screen = GetDC(NULL), dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, 64, 16);
    HGDIOBJ old = SelectObject(dc, strip);
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0);
    RECT all = {0, 0, 64, 16};
    int i;
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    for (i = 0; i < 3; ++i) {
        RECT box = {16 * (i + 1) + 2, 2, 16 * (i + 1) + 14, 14};
        DrawFrameControl(dc, &box, DFC_BUTTON, looks[i]);
    }
    SelectObject(dc, old);
    if (list)
        ImageList_AddMasked(list, strip, GetSysColor(COLOR_WINDOW));
    DeleteObject(strip);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
    return list;
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
            Toggle(page, hit.hItem);
    } else if (header->code == TVN_KEYDOWN && ((const NMTVKEYDOWN*)header)->wVKey == VK_SPACE) {
        Toggle(page, (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
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
        Boxes = CreateBoxes();
        SendDlgItemMessageA(page, IDC_TREE, TVM_SETIMAGELIST, TVSIL_STATE, (LPARAM)Boxes);
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
        ImageList_Destroy(Boxes);
        Boxes = NULL;
        FeatureCount = TypeCount = 0;
        return FALSE;
    }
    case WM_NOTIFY:
        return wParam == IDC_TREE && Notified(page, (const NMHDR*)lParam);
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
