#include "shell/info_windows.h"

#include <utility>
#include <vector>

#include "shell/app.h"

namespace kestrive {

namespace {

struct Group {
  const char* name;
  std::vector<const char*> items;
};
struct Section {
  const char* version;
  std::vector<Group> groups;
};

const std::vector<Section>& history() {
  static const std::vector<Section> sections = {
      {"[3.0]",
       {{"Computer", {"add new list (personal folder).", "add 'File' at menu.", "change design.", "and more."}},
        {"Pen Drive", {"add 'Extra' at menu.", "add 'File' at menu.", "fix scan.", "change design.", "and more."}}}},
      {"[2.4]",
       {{"Computer", {"fix 'pskill' file (REG).", "fix 'scan'."}}, {"Pen Drive", {"fix 'scan'."}}}},
      {"[2.3]",
       {{"Computer", {"fix kill VIRUS in task manager.", "change design."}}, {"Other", {"standalone (Portable)."}}}},
      {"[2.2]",
       {{"Pen Drive", {"fix show all hidden files and folders."}},
        {"Computer", {"add 'Fix Registry' at menu."}},
        {"Other",
         {"add title at button.", "add 'Download' at menu.", "add 'Comment About This Program' at menu.",
          "add 'Help' at menu.", "fix 'pskill' file."}}}},
      {"[2.1]",
       {{"Pen Drive",
         {"fix app.exename can't in the list box.", "fix combo box only active Pen Drive are in list.",
          "add refresh for combo box.", "add msgbox to confirm process."}},
        {"Computer", {"add new button."}},
        {"Other", {"add 'History' at menu."}}}},
  };
  return sections;
}

}  // namespace

std::string releaseHistory() {
  const std::string nl = "\r\n";
  std::string out;
  const auto& sections = history();
  for (size_t s = 0; s < sections.size(); ++s) {
    // One empty line between the first two sections, two between the others.
    if (s == 1) out += nl;
    if (s > 1) out += nl + nl;
    out += sections[s].version + nl;
    for (size_t g = 0; g < sections[s].groups.size(); ++g) {
      if (g > 0) out += nl;
      out += std::string("-") + sections[s].groups[g].name + nl;
      for (const char* item : sections[s].groups[g].items) out += std::string("  ") + item + nl;
    }
  }
  return out;
}

FrmHelp::FrmHelp(App& a) : Window(a, "frm_help") {
  add(Kind::Frame, "frmeeddf", "How To 'Run As Administrator'?");
  add(Kind::Picture, "Picturedcd", {}, "frmeeddf");
  add(Kind::Button, "btn_ok", "Back");
  on("btn_ok_Click", [this] { btn_ok_Click(); });
}
void FrmHelp::Form_Load() { title = windowTitle("How To 'Run As Administrator'? | "); }
void FrmHelp::btn_ok_Click() { app().hide(*this); }

FrmH::FrmH(App& a) : Window(a, "frm_h") {
  add(Kind::Text, "txt1", releaseHistory()).enabled = true;
  add(Kind::Button, "btn_k", "Ok");
  on("btn_k_Click", [this] { btn_k_Click(); });
}
void FrmH::Form_Load() { title = windowTitle("History | "); }
void FrmH::btn_k_Click() { app().returnTo(*this, "frm_first", false); }

FrmAbout::FrmAbout(App& a) : Window(a, "frm_about") {
  title = "About";
  add(Kind::Picture, "Image1");
  add(Kind::Label, "lbl_version", "Version");
  add(Kind::Label, "lbl_0", "Name");
  add(Kind::Label, "Label2", author_name);
  add(Kind::Label, "Label1", url_social);
  add(Kind::Button, "btn_ok", "Ok");
  on("btn_ok_Click", [this] { btn_ok_Click(); });
  on("Label1_Click", [this] { app().p.ui.openUrl(url_social); });
  on("Label2_Click", [this] { app().p.ui.openUrl(url_social); });
  on("lbl_0_Click", [this] { app().p.ui.openUrl(url_site); });
  on("lbl_version_Click", [this] { app().p.ui.openUrl(url_download); });
}
void FrmAbout::Form_Load() {
  ctl("lbl_version").caption = "v" + app_version;
  ctl("lbl_0").caption = app_name;
}
void FrmAbout::btn_ok_Click() { app().returnTo(*this, "frm_first", false); }

FrmU::FrmU(App& a) : Window(a, "frm_u") {
  title = "Update";
  add(Kind::Button, "btn_k", "Done");
}

FrmOp::FrmOp(App& a) : Window(a, "frm_op") {}

}  // namespace kestrive
