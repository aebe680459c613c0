# Writes platform/win32/control_ids.h into the build from resource.h, the one
# place where control ids are kept: which id shows which control of which
# window (IDC_<window>_<control>), and each window's dialog and menu.
function(kestrive_control_ids resource out)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${resource})
  file(STRINGS ${resource} lines REGEX "^#define ID[DCM]_[A-Za-z0-9_]+ +[0-9]+")
  set(windows "")
  foreach(line ${lines})
    if(line MATCHES "^#define IDD_([A-Za-z0-9_]+) ")
      list(APPEND windows ${CMAKE_MATCH_1})
    endif()
  endforeach()
  set(controls "")
  foreach(line ${lines})
    if(NOT line MATCHES "^#define IDC_([A-Za-z0-9_]+) ")
      continue()
    endif()
    set(name ${CMAKE_MATCH_1})
    # The longest window name the identifier starts with owns it.
    set(owner "")
    foreach(w ${windows})
      string(LENGTH "${w}" wl)
      string(LENGTH "${owner}" ol)
      if(name MATCHES "^${w}_" AND wl GREATER ol)
        set(owner ${w})
      endif()
    endforeach()
    if(owner STREQUAL "")
      message(FATAL_ERROR "${resource}: IDC_${name} belongs to no dialog")
    endif()
    string(LENGTH "${owner}_" skip)
    string(SUBSTRING "${name}" ${skip} -1 control)
    string(APPEND controls "    {\"${owner}\", \"${control}\", IDC_${name}},\n")
  endforeach()
  set(dialogs "")
  foreach(w ${windows})
    string(APPEND dialogs "    {\"${w}\", IDD_${w}, IDM_${w}},\n")
  endforeach()
  file(WRITE ${out}.new "// Made by the build from platform/win32/resource.h; do not edit.
#pragma once

#include \"platform/win32/resource.h\"

namespace kestrive::win32 {

struct ControlId {
  const char* window;
  const char* control;
  int id;
};

inline constexpr ControlId kControlIds[] = {
${controls}};

struct DialogId {
  const char* window;
  int dialog;
  int menu;
};

inline constexpr DialogId kWindowIds[] = {
${dialogs}};

// The window property that holds a shown dialog's id, so that the
// automation tool finds a window by what it is, not by its title.
inline constexpr const wchar_t* kDialogProperty = L\"Kestrive.Dialog\";

}  // namespace kestrive::win32
")
  # Rewritten only when it changes, so nothing rebuilds for nothing.
  file(COPY_FILE ${out}.new ${out} ONLY_IF_DIFFERENT)
  file(REMOVE ${out}.new)
endfunction()
