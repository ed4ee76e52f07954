#include "core/console/menu_actions.h"

namespace qvt::console {

struct MenuContext {
    MainShell& shell;
    Commands& commands;
    link::Dialogue& dialogue;
    Operations& ops;
};

constexpr std::array<MenuEntry, kMenuItemCount> kMenuTable = {{
    {MenuItem::Load1, 0, "&Load Program from File\tLOAD", true, false,
     [](MenuContext& c) { c.ops.files().Load68k(); }},
    {MenuItem::Save1, 0, "&Save Program to File\tSAVE", true, true,
     [](MenuContext& c) { c.ops.files().Save68k(); }},
    {MenuItem::LabelRead1, 0, "&Read Label from File", true, true,
     [](MenuContext& c) { c.ops.files().Label_Read(); }},
    {MenuItem::PontLoad1, 0, "Load P&oint from File\tPLOAD", true, false,
     [](MenuContext& c) { c.ops.files().PLoad68k(); }},
    {MenuItem::PointSave1, 0, "Save Po&int to File\tPSAVE", true, true,
     [](MenuContext& c) { c.ops.files().PSave2000(); }},
    {MenuItem::MbkLoad1, 0, "Load &MBK from File\tMLOAD", true, false,
     [](MenuContext& c) { c.ops.files().MBKLoad2000(); }},
    {MenuItem::MbkSave1, 0, "Save M&BK to File\tMSAVE", true, true,
     [](MenuContext& c) { c.ops.files().MBKSave2000(); }},
    {MenuItem::EDIT1, 0, "&Edit Program\tEDIT", true, false,
     [](MenuContext& c) { c.ops.files().Edit_Prg(0); }},
    {MenuItem::PointEdit1, 0, "E&dit Point\tPEDIT", true, false,
     [](MenuContext& c) { c.ops.files().Edit_pnt(0); }},
    {MenuItem::MBKEdit1, 0, "Edi&t MBK\tMEDIT", true, true,
     [](MenuContext& c) { c.ops.files().Edit_Mbk(0); }},
    {MenuItem::Exit1, 0, "E&xit\tAlt+F4", false, false,
     [](MenuContext& c) { c.shell.request_close(); }},
    {MenuItem::LIST2, 1, "&LIST\tF4", true, false,
     [](MenuContext& c) { c.commands.CommandExec("LIST", 0); }},
    {MenuItem::ScreenClear1, 1, "Clear &Screen\tF5", true, true,
     [](MenuContext& c) { c.dialogue.ScreenCls(); }},
    {MenuItem::Copy1, 1, "&Copy\tCtrl+C", true, false,
     [](MenuContext& c) { c.ops.editing().Copy_to_Clipboard(0); }},
    {MenuItem::CopywithoutLine1, 1, "C&opy without Step Number\tCtrl+T", true, false,
     [](MenuContext& c) { c.ops.editing().Copy_to_Clipboard(1); }},
    {MenuItem::Paste1, 1, "&Paste\tCtrl+V", true, true,
     [](MenuContext& c) { c.ops.editing().Paste_from_Clipboard(); }},
    {MenuItem::LineInsert1, 1, "&Insert Line\tCtrl+N", true, false,
     [](MenuContext& c) { c.ops.editing().Lineins(0); }},
    {MenuItem::InsertBlank1, 1, "Insert &Blank Line\tCtrl+B", false, false,
     [](MenuContext& c) { c.ops.editing().Lineins(1); }},
    {MenuItem::LineDelete1, 1, "&Delete Line\tCtrl+Y", true, true,
     [](MenuContext& c) { c.ops.editing().Linedel(); }},
    {MenuItem::WebReference1, 1, "&Web Command Reference\tF1", true, false,
     [](MenuContext& c) { c.ops.desktop().WebReference(); }},
    {MenuItem::RUN1, 2, "&Run\tCtrl+[", true, false,
     [](MenuContext& c) { c.commands.CommandExec("RUN", 0); }},
    {MenuItem::QUIT1, 2, "&Stop\tCtrl+A,Ctrl+]", false, true,
     [](MenuContext& c) { c.commands.kvb_quit(); }},
    {MenuItem::MonList1, 2, "&Task List\tCtrl+M", true, false,
     [](MenuContext& c) { c.ops.debug().MonList(); }},
    {MenuItem::VariableWatch1, 2, "&Variable Watch\tF7", false, true,
     [](MenuContext& c) { c.ops.debug().ShowWatchWindow(); }},
    {MenuItem::BreakPoint1, 2, "&Break Point\tF8", false, false,
     [](MenuContext& c) { c.ops.debug().Break_Point(0); }},
    {MenuItem::CLROUTP1, 3, "&CLR_OUTP\tF6", true, false,
     [](MenuContext& c) { c.ops.debug().clr_outp(); }},
    {MenuItem::IOC1, 3, "&IO Checker\tIOC", true, false,
     [](MenuContext& c) { c.commands.IOC_exec(); }},
    {MenuItem::Disconnect1, 4, "&ComPort Disconnect", false, false,
     [](MenuContext& c) { c.ops.desktop().Disconnect1Click(); }},
    {MenuItem::KVBMonitor1, 4, "&KVB Monitor", false, false,
     [](MenuContext& c) { c.ops.desktop().KVBMonitor(); }},
    {MenuItem::SessionLog1, 4, "Session &Log...", false, false,
     [](MenuContext& c) {
         if (c.shell.hooks.session_log) c.shell.hooks.session_log();
     }},
}};

// Rows are looked up by the entry's index.
constexpr bool rows_in_menu_order() {
    for (int i = 0; i < kMenuItemCount; ++i)
        if (index_of(kMenuTable[static_cast<std::size_t>(i)].item) != i) return false;
    return true;
}
static_assert(rows_in_menu_order());

void MenuActions::activate(MenuItem item) {
    const MenuEntry& entry = menu_entry(item);
    if (entry.gated && !shell_.Func_Check(false)) {
        shell_.focus_terminal();
        return;
    }
    MenuContext context{shell_, commands_, dialogue_, ops_};
    entry.run(context);
}

}  // namespace qvt::console
