#include "core/console/menu_actions.h"

namespace qvt::console {

void MenuActions::activate(MenuItem item) {
    if (menu_entry(item).gated && !shell_.Func_Check(false)) {
        shell_.focus_terminal();
        return;
    }
    run(item);
}

void MenuActions::run(MenuItem item) {
    switch (item) {
        case MenuItem::Load1:
            ops_.Load68k();
            break;
        case MenuItem::Save1:
            ops_.Save68k();
            break;
        case MenuItem::LabelRead1:
            ops_.Label_Read();
            break;
        case MenuItem::PontLoad1:
            ops_.PLoad68k();
            break;
        case MenuItem::PointSave1:
            ops_.PSave2000();
            break;
        case MenuItem::MbkLoad1:
            ops_.MBKLoad2000();
            break;
        case MenuItem::MbkSave1:
            ops_.MBKSave2000();
            break;
        case MenuItem::EDIT1:
            ops_.Edit_Prg(0);
            break;
        case MenuItem::PointEdit1:
            ops_.Edit_pnt(0);
            break;
        case MenuItem::MBKEdit1:
            ops_.Edit_Mbk(0);
            break;
        case MenuItem::Exit1:
            shell_.request_close();
            break;
        case MenuItem::LIST2:
            commands_.CommandExec("LIST", 0);
            break;
        case MenuItem::ScreenClear1:
            dialogue_.ScreenCls();
            break;
        case MenuItem::Copy1:
            ops_.Copy_to_Clipboard(0);
            break;
        case MenuItem::CopywithoutLine1:
            ops_.Copy_to_Clipboard(1);
            break;
        case MenuItem::Paste1:
            ops_.Paste_from_Clipboard();
            break;
        case MenuItem::LineInsert1:
            ops_.Lineins(0);
            break;
        case MenuItem::InsertBlank1:
            ops_.Lineins(1);
            break;
        case MenuItem::LineDelete1:
            ops_.Linedel();
            break;
        case MenuItem::WebReference1:
            ops_.WebReference();
            break;
        case MenuItem::RUN1:
            commands_.CommandExec("RUN", 0);
            break;
        case MenuItem::QUIT1:
            commands_.kvb_quit();
            break;
        case MenuItem::MonList1:
            ops_.MonList();
            break;
        case MenuItem::VariableWatch1:
            ops_.ShowWatchWindow();
            break;
        case MenuItem::BreakPoint1:
            ops_.Break_Point(0);
            break;
        case MenuItem::CLROUTP1:
            ops_.clr_outp();
            break;
        case MenuItem::IOC1:
            commands_.IOC_exec();
            break;
        case MenuItem::Disconnect1:
            ops_.Disconnect1Click();
            break;
        case MenuItem::KVBMonitor1:
            ops_.KVBMonitor();
            break;
    }
}

}  // namespace qvt::console
