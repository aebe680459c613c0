// The Pen Drive window on a machine of fakes: a drive to put entries on, and
// the steps a user takes to open the window, choose the drive and scan it.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "removable/frm_rd.h"
#include "tests/native/machine.h"

namespace kestrive::test {

struct RootEntry {
  std::string name;  // below the root; "Photos\inner.lnk" lies in a subfolder
  bool folder = false;
  uint32_t attributes = attr::Archive;
};

// The attribute a root entry has whatever it is given: folders stay folders.
inline uint32_t BaseAttributes(const RootEntry& e) { return e.folder ? attr::Directory : 0; }

struct PenDrive : Machine {
  void put(const std::string& root, const std::vector<RootEntry>& entries) {
    f.fs.addDrive(root);
    for (const RootEntry& e : entries) {
      if (e.folder)
        f.fs.addDir(root + e.name, e.attributes);
      else
        f.fs.addFile(root + e.name, e.attributes);
    }
  }
  FrmRd& open() {
    app.start();
    app.click("frm_first", "btn_rd");
    return rd();
  }
  FrmRd& rd() { return *app.find<FrmRd>("frm_rd"); }
  void tick() { app.tick("frm_rd", "T1"); }
  void choose(const std::string& root) {
    Control& cmb = rd().cmb_rd;
    for (size_t i = 0; i < cmb.items.size(); ++i)
      if (cmb.items[i].text == root) cmb.listIndex = static_cast<int>(i);
    ASSERT_EQ(rd().deviceRoot(), root);
    app.click("frm_rd", "cmb_rd");  // as the binding does on a new selection
    tick();
  }
  // Chooses the root and scans it, answering Yes.
  void scan(const std::string& root) {
    choose(root);
    ASSERT_TRUE(rd().btn_scan.enabled);
    app.click("frm_rd", "btn_scan");
  }
  std::vector<std::string> executables() { return Texts(rd().lst_dir); }
  std::vector<std::string> viruses() { return Texts(rd().lst_dir_2); }
  std::vector<std::string> drives() { return Texts(rd().cmb_rd); }
};

// A drive scanned with three virus entries and three executables.
inline const std::vector<std::string> kViruses = {"a.lnk", "b.lnk", "c.lnk"};
inline const std::vector<std::string> kExecutables = {"x.exe", "y.exe", "z.exe"};

struct ScannedDrive : PenDrive {
  ScannedDrive() {
    put("E:\\", {{"a.lnk"}, {"b.lnk"}, {"c.lnk"}, {"x.exe"}, {"y.exe"}, {"z.exe"}});
    open();
    scan("E:\\");
  }
  bool onDrive(const std::string& name) const { return f.fs.has("E:\\" + name); }
  // Those of `names` still on the drive.
  std::vector<std::string> left(const std::vector<std::string>& names) const {
    std::vector<std::string> out;
    for (const std::string& n : names)
      if (onDrive(n)) out.push_back(n);
    return out;
  }
};

}  // namespace kestrive::test
