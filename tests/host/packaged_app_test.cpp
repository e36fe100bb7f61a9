#include "detect/packaged_app.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "detect/detect.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using bundle::Kind;

const char kManifest[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"
         xmlns:uap="http://schemas.microsoft.com/appx/manifest/uap/windows10">
  <Identity Name="Contoso.Notes" Publisher="CN=Contoso" Version="1.2.3.0" ProcessorArchitecture="x64"/>
  <Applications>
    <Application Id="Viewer" Executable="Tools\View.exe" EntryPoint="Windows.FullTrustApplication">
      <uap:VisualElements DisplayName="Notes Viewer"/>
    </Application>
    <Application
        Executable='App/Notes.EXE'
        Id="Notes&amp;Co">
    </Application>
  </Applications>
</Package>)";

// A package folder as Windows installs one, under a WindowsApps folder of the test's own.
struct PackagedApp : ::testing::Test {
  testing_support::TempDir temp;
  fs::path package = fs::path(temp.path()) / "Program Files" / "WindowsApps" / "Contoso.Notes_1.2.3.0_x64__8wekyb3d8bbwe";

  std::string program(const std::string& relative) {
    const fs::path path = package / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "MZ";
    return path.string();
  }
};

TEST_F(PackagedApp, AProgramInsideWindowsAppsIsStoredByItsAppUserModelId) {
  fs::create_directories(package);
  std::ofstream(package / "AppxManifest.xml") << kManifest;

  bundle::Item chosen = detect::item_from_path(program("App/notes.exe"));
  EXPECT_EQ(chosen.kind, Kind::app);
  EXPECT_EQ(chosen.target, "shell:AppsFolder\\Contoso.Notes_8wekyb3d8bbwe!Notes&Co");
  EXPECT_EQ(detect::item_from_path(program("Tools/View.exe")).target,
            "shell:AppsFolder\\Contoso.Notes_8wekyb3d8bbwe!Viewer");

  // A program the manifest does not start keeps its path.
  const std::string helper = program("Tools/helper.exe");
  EXPECT_EQ(detect::item_from_path(helper).target, helper);
  // So does every program when the manifest cannot be read.
  fs::remove(package / "AppxManifest.xml");
  const std::string notes = program("App/Notes.exe");
  EXPECT_EQ(detect::item_from_path(notes).target, notes);
}

TEST_F(PackagedApp, OnlyAPackageFullNameBelowWindowsAppsCounts) {
  EXPECT_EQ(detect::package_family_name("Contoso.Notes_1.2.3.0_x64__8wekyb3d8bbwe"), "Contoso.Notes_8wekyb3d8bbwe");
  EXPECT_EQ(detect::package_family_name("Microsoft.Paint_11.2.0.0_neutral_split.scale-100_8wekyb3d8bbwe"),
            "Microsoft.Paint_8wekyb3d8bbwe");
  EXPECT_FALSE(detect::package_family_name("Contoso.Notes_8wekyb3d8bbwe"));
  EXPECT_FALSE(detect::package_family_name("_1.0_x64__pub"));

  // The same manifest beside a folder that is no package full name.
  const fs::path plain = fs::path(temp.path()) / "WindowsApps" / "Notes";
  fs::create_directories(plain);
  std::ofstream(plain / "AppxManifest.xml") << kManifest;
  const std::string path = (plain / "App" / "Notes.exe").string();
  EXPECT_EQ(detect::item_from_path(path).target, path);
}

TEST(PackagedAppText, PastedPathsFromAVariableAreKeptAsWritten) {
  testing_support::TempDir temp;
  ::setenv("TOLVIK_TEST_FOLDER", temp.path().c_str(), 1);
  EXPECT_EQ(detect::detect_items("%TOLVIK_TEST_FOLDER%"),
            (std::vector<bundle::Item>{{Kind::folder, "%TOLVIK_TEST_FOLDER%", "", ""}}));
  ::unsetenv("TOLVIK_TEST_FOLDER");
  const auto items = detect::detect_items("%USERPROFILE%\\Documents\\plan.xlsx\n%OneDrive%\\Tools\\t.exe\n%OneDrive%\n"
                                          "%not a var%\\x.txt\n100%\n%%\\x.txt\n");
  EXPECT_EQ(items, (std::vector<bundle::Item>{{Kind::file, "%USERPROFILE%\\Documents\\plan.xlsx", "", ""},
                                              {Kind::app, "%OneDrive%\\Tools\\t.exe", "", ""},
                                              {Kind::file, "%OneDrive%", "", ""}}));
}

TEST(PackagedAppText, TypedOrPastedAppsFolderTargetsAreApps) {
  const auto items = detect::detect_items(
      "shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App\r\n\"SHELL:appsfolder\\Contoso!Main\"\n"
      "shell:AppsFolder\\\nshell:Desktop\n");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0], (bundle::Item{Kind::app, "shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App", "", ""}));
  EXPECT_EQ(items[1], (bundle::Item{Kind::app, "SHELL:appsfolder\\Contoso!Main", "", ""}));
  EXPECT_EQ(bundle::item_label(items[0]), "Microsoft.WindowsCalculator");
  bundle::Item named = items[1];
  named.name = "Contoso";
  EXPECT_EQ(bundle::item_label(named), "Contoso");
}

}  // namespace
