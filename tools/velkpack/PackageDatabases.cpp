#include "tools/velkpack/PackageDatabases.h"

#include <fstream>

#include "database/epXMLParser.h"
#include "expressions/Evaluator.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "tools/fileinfo/FontName.h"
#include "tools/fileinfo/PeVersion.h"
#include "tools/velkpack/BuildError.h"
#include "tools/velkpack/FileInput.h"
#include "tools/velkpack/XmlWriter.h"

namespace velk {
namespace {

constexpr char kFileInfosTag[] = "fileinfos";
constexpr char kWizardId[] = "wizard";
constexpr size_t kProductFolderLength = 6; // "files\"

// Parses as setup.exe parses its databases and loads the tree into object.
std::string Load(const std::string& path, TXMLTag& root, TXMLObject& object) {
    std::string text;
    std::string error;
    if (!ReadWholeFile(path, text, error))
        throw EBuildError(error);
    XMLParserOptions = TXMLParserOptions();
    XMLParserOptions.KeepValueSpaces = true;
    try {
        root.Parse(text);
    } catch (const Exception& e) {
        throw EBuildError(path + ": " + e.what());
    }
    if (root.Name.empty())
        throw EBuildError(path + ": the file holds no XML element");
    try {
        object.Merge(root);
    } catch (const Exception& e) {
        throw EBuildError(path + ": " + e.what());
    }
    return text;
}

bool IsFont(const std::string& name) {
    const std::string ext = LowerCase(ExtractFileExt(name));
    return ext == ".ttf" || ext == ".otf" || ext == ".ttc";
}

// Only a program image can have a version resource, so other files are not read whole.
bool StartsLikeProgram(const std::string& path) {
    char magic[2] = {};
    std::ifstream file(path, std::ios::binary);
    return file.read(magic, sizeof magic) && magic[0] == 'M' && magic[1] == 'Z';
}

} // namespace

std::string ReadMainDatabase(const std::string& path, bool& uninstall) {
    TXMLTag root;
    TvkMainDatabase database(nullptr);
    std::string text = Load(path, root, database);
    const TvkVariable* variable = database.Variables->FindParam("Uninstall");
    uninstall = variable != nullptr && IsTrue(variable->Value);
    return text;
}

std::string ReadPackageDatabase(const std::string& path, const TvkFileInfos& fileInfos,
                                bool& replaced, int& wizardPlugin) {
    TXMLTag root;
    TvkPackage package(nullptr);
    Load(path, root, package);
    wizardPlugin = -1;
    for (int i = 0; package.Plugins && i < package.Plugins->Count() && wizardPlugin < 0; ++i) {
        const TvkPlugin& plugin = *package.Plugins->Items(i);
        if (SameText(plugin.ID, kWizardId) && plugin.DebugDll.empty())
            wizardPlugin = i;
    }
    replaced = false;
    for (int i = root.Children.Count() - 1; i >= 0; --i) {
        const TXMLTag& child = *root.Children[i];
        if (child.Kind == TXMLTagKind::Element && child.Name == kFileInfosTag) {
            root.Children.Delete(i);
            replaced = true;
        }
    }
    if (fileInfos.Count() > 0) {
        auto element = std::make_unique<TXMLTag>();
        element->Name = kFileInfosTag;
        fileInfos.AssignTo(*element);
        root.Children.Add(std::move(element));
    }
    try {
        return WriteXmlText(root);
    } catch (const Exception& e) {
        throw EBuildError(path + ": " + e.what());
    }
}

std::unique_ptr<TvkFileInfos> CollectFileInfos(const std::vector<TSourceFile>& productFiles) {
    auto fileInfos = std::make_unique<TvkFileInfos>(nullptr);
    for (const TSourceFile& file : productFiles) {
        auto info = std::make_unique<TvkFileInfo>(fileInfos.get());
        info->Name = file.Name.substr(kProductFolderLength);
        info->Size = int32_t(file.Size);
        const bool font = IsFont(file.Name);
        if (font || StartsLikeProgram(file.Path)) {
            std::string data;
            std::string error;
            if (!ReadWholeFile(file.Path, data, error))
                throw EBuildError(error);
            info->Version = PeVersionText(data);
            if (font)
                info->FontName = ReadFontFullName(data);
        }
        fileInfos->Add(std::move(info));
    }
    return fileInfos;
}

} // namespace velk
