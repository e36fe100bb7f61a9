#include "detect/packaged_app.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "detect/detect.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using bundle::Item;
using bundle::Kind;

const char kManifest[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10">
  <Applications>
    <Application Id="Viewer" Executable="Tools\View.exe" EntryPoint="Windows.FullTrustApplication"/>
    <Application
        Executable='App/Notes.EXE'
        Id="Notes&amp;Co">
    </Application>
  </Applications>
</Package>)";

std::string program(const fs::path& package, const std::string& relative) {
  const fs::path path = package / relative;
  fs::create_directories(path.parent_path());
  std::ofstream(path) << "MZ";
  return path.string();
}

TEST(PackagedApp, AProgramInsideWindowsAppsIsStoredByItsAppUserModelIdWhenTheManifestSaysSo) {
  testing_support::TempDir temp;
  const fs::path apps = fs::path(temp.path()) / "Program Files" / "WindowsApps";
  const fs::path package = apps / "Contoso.Notes_1.2.3.0_x64__8wekyb3d8bbwe";
  fs::create_directories(package);
  std::ofstream(package / "AppxManifest.xml") << kManifest;

  const Item chosen = detect::item_from_path(program(package, "App/notes.exe"));
  EXPECT_EQ(chosen, (Item{Kind::app, "shell:AppsFolder\\Contoso.Notes_8wekyb3d8bbwe!Notes&Co", "", ""}));
  EXPECT_EQ(detect::item_from_path(program(package, "Tools/View.exe")).target,
            "shell:AppsFolder\\Contoso.Notes_8wekyb3d8bbwe!Viewer");

  // Kept as they are: a program the manifest does not start, one in a folder
  // that is no package full name, and any once the manifest is gone.
  const std::string helper = program(package, "Tools/helper.exe");
  EXPECT_EQ(detect::item_from_path(helper).target, helper);
  const fs::path plain = apps / "Contoso.Notes";
  fs::create_directories(plain);
  fs::copy_file(package / "AppxManifest.xml", plain / "AppxManifest.xml");
  const std::string unversioned = program(plain, "App/Notes.exe");
  EXPECT_EQ(detect::item_from_path(unversioned).target, unversioned);
  fs::remove(package / "AppxManifest.xml");
  const std::string notes = program(package, "App/Notes.exe");
  EXPECT_EQ(detect::item_from_path(notes).target, notes);
}

TEST(PackagedApp, PastedAppsFolderTargetsAreAppsAndPathsFromAVariableStayAsWritten) {
  testing_support::TempDir temp;
  ::setenv("TOLVIK_TEST_FOLDER", temp.path().c_str(), 1);
  const auto items = detect::detect_items(
      "shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App\r\n\"SHELL:appsfolder\\Contoso!Main\"\n"
      "shell:AppsFolder\\\nshell:Desktop\n%TOLVIK_TEST_FOLDER%\n%OneDrive%\\Tools\\t.exe\n%not a var%\\x.txt\n100%\n");
  ::unsetenv("TOLVIK_TEST_FOLDER");
  EXPECT_EQ(items, (std::vector<Item>{{Kind::app, "shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App", "", ""},
                                      {Kind::app, "SHELL:appsfolder\\Contoso!Main", "", ""},
                                      {Kind::folder, "%TOLVIK_TEST_FOLDER%", "", ""},
                                      {Kind::app, "%OneDrive%\\Tools\\t.exe", "", ""}}));
  EXPECT_EQ(bundle::item_label(items[0]), "Microsoft.WindowsCalculator");
  Item named = items[1];
  named.name = "Contoso";
  EXPECT_EQ(bundle::item_label(named), "Contoso");
}

}  // namespace
