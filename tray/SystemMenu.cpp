#include "tray/SystemMenu.h"

#include "resource.h"

void SystemMenu::Rebuild(const Options& options, const ShortcutIconIndexes& icons) {
    menu.Create();
    AppendShortcut(options.opt6, &myComputerItem, "マイ コンピュータ", icons.myComputer,
                   ID_TRAY_MY_COMPUTER);
    AppendShortcut(options.opt7, &myDocumentsItem, "マイ ドキュメント", icons.myDocuments,
                   ID_TRAY_MY_DOCUMENTS);
    AppendShortcut(options.opt8, &myNetworkItem, "マイ ネットワーク", icons.myNetwork,
                   ID_TRAY_MY_NETWORK);
    if (options.opt6 || options.opt7 || options.opt8)
        menu.AppendSeparator();
    menu.AppendString(ID_TRAY_SETTINGS, "設定(&S)...");
    menu.AppendString(ID_TRAY_ABOUT, "バーション情報(&A)...");
    menu.AppendString(ID_TRAY_HELP, "ヘルプ(&H)...");
    menu.AppendSeparator();
    menu.AppendString(ID_TRAY_EXIT, "終了(&X)");
    menu.SetDefault(ID_TRAY_SETTINGS);
    menu.EnableItem(ID_TRAY_HELP, MF_GRAYED);
}

void SystemMenu::AppendShortcut(int32_t option, MenuItemData* item, const char* text, int iconIndex,
                                UINT command) {
    if (!option)
        return;
    item->text = text;
    item->iconIndex = iconIndex;
    menu.AppendOwnerDraw(command, item);
}
