#include "shell/frm_first.h"

#include "platform/platform.h"
#include "shell/texts.h"

namespace kestrive {

FrmFirst::FrmFirst(Shell& shell) : Window(shell, WindowId::First) {
  Label1.caption = "Created by " + author_name;
  // No way back: leaving the start-up window ends the process, which a stray Esc must never do.
  bind(btn_rd, &FrmFirst::btn_rd_Click);
  bind(btn_c, &FrmFirst::btn_c_Click);
  bind(file_1, &FrmFirst::file_1_Click);
  bind(h_iii, &FrmFirst::h_iii_Click);
  bind(h_1xxx, &FrmFirst::h_1xxx_Click);
  bind(frmfist_htraa, &FrmFirst::frmfist_htraa_Click);
  bind(help_his, &FrmFirst::help_his_Click);
  bind(help_d, &FrmFirst::help_d_Click);
  bind(help_comment, &FrmFirst::help_comment_Click);
  bind(help_2, &FrmFirst::help_2_Click);
  bind(lbl_V, &FrmFirst::lbl_V_Click);
  bind(Label1, &FrmFirst::Label1_Click);
}

void FrmFirst::Form_Load() {
  title = windowTitle("");
  lbl_V.caption = "v" + app_version;
  help_3.enabled = false;
  if (p().env.previousInstance()) {
    // Still silent, but the person who started it again finds the one that runs.
    p().ui.showOtherInstance();
    shell().endProcess();
  }
  // Only the working directory counts, never the search path.
  if (!p().fs.exists(kToolName)) {
    if (shell().ask(msg::DownloadQuestion)) p().ui.openUrl(url_download);
    btn_c.enabled = false;
  }
}

void FrmFirst::Form_Unload() { shell().endProcess(); }
void FrmFirst::file_1_Click() { shell().endProcess(); }

void FrmFirst::btn_rd_Click() { shell().openChild(*this, WindowId::Removable); }
void FrmFirst::btn_c_Click() { shell().openChild(*this, WindowId::Computer); }

void FrmFirst::h_iii_Click() { p().ui.openUrl(url_article); }
void FrmFirst::h_1xxx_Click() { p().ui.openUrl(url_guide); }
void FrmFirst::help_d_Click() { p().ui.openUrl(url_download); }
void FrmFirst::help_comment_Click() { p().ui.openUrl(url_product); }
void FrmFirst::lbl_V_Click() { help_d_Click(); }
void FrmFirst::Label1_Click() { p().ui.openUrl(url_social); }
void FrmFirst::frmfist_htraa_Click() { shell().showAlongside(WindowId::Help); }
void FrmFirst::help_his_Click() { shell().openChild(*this, WindowId::History); }
void FrmFirst::help_2_Click() { shell().openChild(*this, WindowId::About); }

}  // namespace kestrive
