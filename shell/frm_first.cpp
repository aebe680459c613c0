#include "shell/frm_first.h"

#include "shell/app.h"

namespace kestrive {

FrmFirst::FrmFirst(App& a) : Window(a, "frm_first") {
  add(Kind::Button, "btn_c", "Computer", {}, "For computer only");
  add(Kind::Button, "btn_rd", "Pen Drive", {}, "Example: pen drive, thum drive, etc");
  add(Kind::Label, "lbl_V", {}, {}, "Click to download new version");
  add(Kind::Label, "Label1", "Created by " + author_name, {}, "Press it");
  add(Kind::Menu, "file_0", "File");
  add(Kind::MenuEntry, "file_1", "Exit", "file_0");
  add(Kind::Menu, "help_0", "Help");
  add(Kind::MenuEntry, "h_iii", "Infomation About 'Virus Shortcut'", "help_0");
  add(Kind::MenuEntry, "frmfist_htraa", "How To 'Run As Administrator'?", "help_0");
  add(Kind::MenuEntry, "h_1xxx", "How To Use This Program?", "help_0");
  add(Kind::Separator, "help_0a", "-", "help_0");
  add(Kind::MenuEntry, "help_his", "History", "help_0");
  add(Kind::MenuEntry, "help_3", "Update", "help_0");
  add(Kind::MenuEntry, "help_d", "Download new version", "help_0");
  add(Kind::Separator, "help_0b", "-", "help_0");
  add(Kind::MenuEntry, "help_comment", "Comment About This Program", "help_0");
  add(Kind::MenuEntry, "help_2", "About", "help_0");

  on("btn_rd_Click", [this] { btn_rd_Click(); });
  on("btn_c_Click", [this] { btn_c_Click(); });
  on("file_1_Click", [this] { file_1_Click(); });
  on("h_iii_Click", [this] { h_iii_Click(); });
  on("h_1xxx_Click", [this] { h_1xxx_Click(); });
  on("frmfist_htraa_Click", [this] { frmfist_htraa_Click(); });
  on("help_his_Click", [this] { help_his_Click(); });
  on("help_d_Click", [this] { help_d_Click(); });
  on("help_comment_Click", [this] { help_comment_Click(); });
  on("help_2_Click", [this] { help_2_Click(); });
  on("lbl_V_Click", [this] { lbl_V_Click(); });
  on("Label1_Click", [this] { Label1_Click(); });
}

void FrmFirst::Form_Load() {
  title = windowTitle("");
  ctl("lbl_V").caption = "v" + app_version;
  ctl("help_3").enabled = false;
  Platform& p = app().p;
  if (p.env.previousInstance()) app().endProcess();
  // Only the working directory counts, never the search path.
  if (!p.fs.exists("pskill.exe")) {
    if (app().ask(msg::DownloadQuestion)) p.ui.openUrl(url_download);
    ctl("btn_c").enabled = false;
  }
}

void FrmFirst::Form_Unload() { app().endProcess(); }
void FrmFirst::file_1_Click() { app().endProcess(); }

void FrmFirst::btn_rd_Click() { app().openChild(*this, "frm_rd"); }
void FrmFirst::btn_c_Click() { app().openChild(*this, "frm_c"); }

void FrmFirst::h_iii_Click() { app().p.ui.openUrl(url_article); }
void FrmFirst::h_1xxx_Click() { app().p.ui.openUrl(url_guide); }
void FrmFirst::help_d_Click() { app().p.ui.openUrl(url_download); }
void FrmFirst::help_comment_Click() { app().p.ui.openUrl(url_product); }
void FrmFirst::lbl_V_Click() { help_d_Click(); }
void FrmFirst::Label1_Click() { app().p.ui.openUrl(url_social); }
void FrmFirst::frmfist_htraa_Click() { app().showAlongside("frm_help"); }
void FrmFirst::help_his_Click() { app().openChild(*this, "frm_h"); }
void FrmFirst::help_2_Click() { app().openChild(*this, "frm_about"); }

}  // namespace kestrive
