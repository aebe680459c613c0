#include "shell/info_windows.h"

#include <utility>
#include <vector>

#include "platform/platform.h"
#include "shell/texts.h"

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
      {"[2.4]", {{"Computer", {"fix 'pskill' file (REG).", "fix 'scan'."}}, {"Pen Drive", {"fix 'scan'."}}}},
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

FrmHelp::FrmHelp(Shell& shell) : Window(shell, WindowId::Help) {
  escape = &btn_ok;
  bind(btn_ok, &FrmHelp::btn_ok_Click);
}
void FrmHelp::Form_Load() { title = windowTitle("How To 'Run As Administrator'? | "); }
void FrmHelp::btn_ok_Click() { shell().hide(*this); }

FrmH::FrmH(Shell& shell) : Window(shell, WindowId::History) {
  escape = &btn_k;
  bind(btn_k, &FrmH::btn_k_Click);
}
void FrmH::Form_Load() { title = windowTitle("History | "); }
void FrmH::btn_k_Click() { shell().returnTo(*this, WindowId::First, false); }

FrmAbout::FrmAbout(Shell& shell) : Window(shell, WindowId::About) {
  title = "About";
  Label2.caption = author_name;
  Label1.caption = url_social;
  escape = &btn_ok;
  bind(btn_ok, &FrmAbout::btn_ok_Click);
  bind(Label1, &FrmAbout::Label1_Click);
  bind(Label2, &FrmAbout::Label2_Click);
  bind(lbl_0, &FrmAbout::lbl_0_Click);
  bind(lbl_version, &FrmAbout::lbl_version_Click);
}
void FrmAbout::Form_Load() {
  lbl_version.caption = "v" + app_version;
  lbl_0.caption = app_name;
}
void FrmAbout::btn_ok_Click() { shell().returnTo(*this, WindowId::First, false); }
void FrmAbout::Label1_Click() { p().ui.openUrl(url_social); }
void FrmAbout::Label2_Click() { p().ui.openUrl(url_social); }
void FrmAbout::lbl_0_Click() { p().ui.openUrl(url_site); }
void FrmAbout::lbl_version_Click() { p().ui.openUrl(url_download); }

}  // namespace kestrive
