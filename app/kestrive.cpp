#include "app/kestrive.h"

#include "computer/frm_c.h"
#include "policy/frm_rm.h"
#include "removable/frm_rd.h"
#include "shell/frm_first.h"
#include "shell/info_windows.h"

namespace kestrive {

std::shared_ptr<Window> MakeWindow(Shell& shell, WindowId id) {
  // No default: a window added to WindowId and forgotten here is a warning.
  switch (id) {
    case WindowId::First: return std::make_shared<FrmFirst>(shell);
    case WindowId::Removable: return std::make_shared<FrmRd>(shell);
    case WindowId::Computer: return std::make_shared<FrmC>(shell);
    case WindowId::RegistryManager: return std::make_shared<FrmRM>(shell);
    case WindowId::Help: return std::make_shared<FrmHelp>(shell);
    case WindowId::History: return std::make_shared<FrmH>(shell);
    case WindowId::About: return std::make_shared<FrmAbout>(shell);
    case WindowId::Update: return std::make_shared<FrmU>(shell);
    case WindowId::Options: return std::make_shared<FrmOp>(shell);
  }
  return nullptr;
}

}  // namespace kestrive
