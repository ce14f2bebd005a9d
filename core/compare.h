// Compare: the base of every comparer. A comparer is built from one parameter
// dictionary, runs once (DoCompare) and reports through the run's report center.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_context.h"
#include "core/value.h"
#include "report/print_center.h"

namespace lcv {

inline constexpr std::size_t kScratchBufferSize = 262144;

class Compare : public Object {
public:
    // Parameter keys understood by every comparer.
    static constexpr const char* kEntityName = "entityName";
    static constexpr const char* kRun = "run";

    explicit Compare(const DictRef& parameters);  // initWithParameters:
    ~Compare() override = default;

    virtual void DoCompare() {}

    // A parameter dictionary for a child comparer: the report center, options and
    // run context of this one, plus the entity name.
    DictRef childParameters(const std::string& entity, std::size_t capacity = 32) const;

    // Fields.
    const std::string& entityName() const { return entityName_; }
    const DictRef& obj1() const { return obj1_; }
    const DictRef& obj2() const { return obj2_; }
    const std::string& obj1_parDirAbolute() const { return obj1_parDirAbolute_; }
    const std::string& obj1_parDirRelative() const { return obj1_parDirRelative_; }
    const std::string& obj1_parDirRelative_fromParam() const { return obj1_parDirRelative_fromParam_; }
    const std::string& obj1_fileName() const { return obj1_fileName_; }
    const std::string& obj2_parDirAbolute() const { return obj2_parDirAbolute_; }
    const std::string& obj2_parDirRelative() const { return obj2_parDirRelative_; }
    const std::string& obj2_parDirRelative_fromParam() const { return obj2_parDirRelative_fromParam_; }
    const std::string& obj2_fileName() const { return obj2_fileName_; }
    const std::string& lyttoolPath() const { return lyttoolPath_; }
    const std::shared_ptr<PrintCenter>& pCenter() const { return pCenter_; }
    const DictRef& options() const { return options_; }
    const std::shared_ptr<RunContext>& run() const { return run_; }
    bool lytToolExist() const { return lytToolExist_; }
    std::uint8_t* buffer1() const { return buffer1_; }
    std::uint8_t* buffer2() const { return buffer2_; }

    void set_entityName(std::string v) { entityName_ = std::move(v); }
    void set_obj1(DictRef v) { obj1_ = std::move(v); }
    void set_obj2(DictRef v) { obj2_ = std::move(v); }
    void set_obj1_parDirAbolute(std::string v) { obj1_parDirAbolute_ = std::move(v); }
    void set_obj1_parDirRelative(std::string v) { obj1_parDirRelative_ = std::move(v); }
    void set_obj1_parDirRelative_fromParam(std::string v) { obj1_parDirRelative_fromParam_ = std::move(v); }
    void set_obj1_fileName(std::string v) { obj1_fileName_ = std::move(v); }
    void set_obj2_parDirAbolute(std::string v) { obj2_parDirAbolute_ = std::move(v); }
    void set_obj2_parDirRelative(std::string v) { obj2_parDirRelative_ = std::move(v); }
    void set_obj2_parDirRelative_fromParam(std::string v) { obj2_parDirRelative_fromParam_ = std::move(v); }
    void set_obj2_fileName(std::string v) { obj2_fileName_ = std::move(v); }
    void set_pCenter(std::shared_ptr<PrintCenter> v) { pCenter_ = std::move(v); }
    void set_options(DictRef v) { options_ = std::move(v); }
    void set_lyttoolPath(std::string v) { lyttoolPath_ = std::move(v); }
    void set_buffer1(std::uint8_t* b) { buffer1_ = b; }
    void set_buffer2(std::uint8_t* b) { buffer2_ = b; }
    // Finds the layout dump tool: the -nt path, then /usr/bin/lyttool, then lyttool
    // beside the running program.
    void set_lytToolExist();

    // Item sets, in the dictionaries' order.
    std::vector<std::string> getNewItems() const;
    std::vector<std::string> getObsoleteItems() const;
    std::vector<std::string> getIdenticalItems() const;
    std::vector<std::string> getNewItemsWithTranslation() const;
    std::vector<std::string> getObsoleteItemsWithTranslation() const;
    std::vector<std::string> getIdenticalItemsWithTranslation() const;
    std::vector<std::string> getNewItemsInDict() const { return getNewItems(); }
    std::vector<std::string> getObsoleteItemsInDict() const { return getObsoleteItems(); }
    std::vector<std::string> getIdenticalItemsInDict() const;
    std::vector<std::string> getChangedItemsInDict() const;

    // Printing: each item, sorted in code-unit order, as category + item.
    void printCompareResult(std::vector<std::string> items, std::string_view category) const;
    void printCompareResult(std::vector<std::int64_t> items, std::string_view category) const;
    void printDiffOutput(std::string_view kind, const std::vector<std::string>& lines, const std::string* name1,
                         const std::string* name2) const;

    // Path headers and property-list paths.
    std::string dir1() const;
    std::string dir2() const;
    std::string GetPathForHeader() const;
    std::string GetPath1ForHeader() const;
    std::string GetPath2ForHeader() const;
    std::string GetPathForHeaderWithFile(const std::string* name1, const std::string* name2) const;
    std::string GetPathForHeaderWithFile1(const std::string* name) const;
    std::string GetPathForHeaderWithFile2(const std::string* name) const;
    std::string GetPathForPlist() const;
    std::string GetPath1ForPlist() const;
    std::string GetPath2ForPlist() const;
    std::string GetPathForPlistWithFile(const std::string* name1, const std::string* name2) const;

    static std::string getSeparater() { return " \\ ===> \\ "; }
    static std::string getFileSeparater() { return " <-//-> "; }
    static std::string getFileSeparaterForPlist() { return " // "; }

    static DictRef GetOrCreatePlistDictFrom(const DictRef& dict, const std::string& key, std::size_t capacity) {
        return PrintCenter::GetOrCreatePlistDictFrom(dict, key, capacity);
    }
    static ArrayRef GetOrCreatePlistArrayFrom(const DictRef& dict, const std::string& key, std::size_t capacity) {
        return PrintCenter::GetOrCreatePlistArrayFrom(dict, key, capacity);
    }
    // One section of a file's entry in the property-list report, created on first
    // use: "File Detailed-Compare Result" -> the entry key (GetPathForPlist() when
    // none is given) -> section, and -> category when one is given.
    DictRef GetDetailedResultSection(const std::string& section, const std::string& category = {},
                                     const std::string* entryKey = nullptr) const;
    // The report root dictionary, or null outside property-list mode.
    DictRef reportRoot() const { return pCenter_ ? pCenter_->reportRoot() : nullptr; }

    // Option accessors.
    bool flag(const char* key) const;
    int mode() const;  // "m", or 0
    bool compModeOldNew() const;
    bool compModeUSLoc() const { return hasMode(1); }
    bool compModeQTA() const { return hasMode(2); }
    bool compModeVerify() const { return hasMode(3); }
    bool compModeBinary() const { return hasMode(4); }
    bool compModeQuick() const { return hasMode(5); }
    bool printIdenticalEntity() const { return flag("i"); }
    bool skipLyt() const { return flag("skn"); }
    bool skipStr() const { return flag("sks"); }
    bool skipRsrc() const { return flag("skr"); }
    bool skipRF() const { return flag("skrf"); }
    bool skipFinfo() const { return flag("ski"); }
    bool skipText() const { return flag("skt"); }
    bool skipTiff() const { return flag("sktiff"); }
    bool skipMdate() const { return flag("skmd"); }
    bool skipCdate() const { return flag("skcd"); }
    bool skipUnixInfo() const { return flag("skunix"); }
    bool skipLinks() const { return flag("sklinks"); }
    bool skipPrebinding() const { return flag("skprebind"); }
    bool supLytNoData() const { return flag("slytnodata"); }
    bool supLytErr() const { return flag("slyterr"); }
    bool shortHeader() const { return flag("sh"); }
    bool debug() const { return flag("debug"); }
    bool hexDump() const { return flag("hd"); }
    bool printComment() const { return flag("pc"); }
    bool printProgress() const { return flag("p"); }
    bool lytDirectMode() const { return flag("nd"); }
    bool coupleSummaryDetailed() const { return flag("csd"); }
    bool treateLytAsBundle() const { return flag("treateLytAsBundle"); }
    bool doNotDifferentiateRFDF() const { return flag("notDifferentiateRFDF"); }
    bool cloneLytInfo() const { return flag("cn"); }
    Value givenCachePath() const { return options_ ? options_->get("cacheDir") : Value(); }
    bool cacheInGiven() const { return options_ && options_->contains("cacheDir"); }
    bool cacheInRoot() const { return flag("cache1"); }
    bool cacheInLproj() const { return flag("cache2"); }
    bool useCache() const { return cacheInRoot() || cacheInLproj() || cacheInGiven(); }
    bool skipItemLevelComparison() const { return flag("skitemlevel"); }
    bool skipFileReport() const { return flag("skfile"); }
    bool skipDirectoryReport() const { return flag("skdir"); }
    bool integrationCheck() const { return flag("icheck"); }
    bool filterAddressString() const { return flag("faddrstr"); }
    bool exitIfChanged() const { return flag("exitIfChanged"); }
    bool mapFileByContent() const { return flag("mapfByContent"); }
    bool mapFileByTiffImage() const { return flag("mapfByTiffImage"); }
    bool mapFileByGuess() const { return flag("mapfByGuess"); }
    bool mapFileBy_ftag() const { return flag("mapfBy_ftag"); }
    bool doNotMapFileByName() const { return flag("doNotMapfByName"); }
    bool flattenHierarchy() const { return flag("flatten_hierarchy"); }
    bool mapFile() const;
    bool mapDirectory() const;
    bool skipMetaInfoInStringFile() const { return flag("sksfmi"); }
    bool flattenPlist() const { return flag("flatten_plist"); }
    bool flattenXml() const { return flag("flatten_xml"); }
    bool optimizedForZentelHoardGlossary() const { return flag("zhg"); }
    bool printObjInfo() const { return flag("objinfo"); }
    bool printNewFileContents() const { return flag("pnew"); }
    bool printObsoleteFileContents() const { return flag("pobs"); }
    bool printNewFileName() const { return flag("pnewfile"); }
    bool printObsoleteFileName() const { return flag("pobsfile"); }
    bool printStringOnly() const { return flag("str"); }
    bool useDiffToRes() const { return flag("diff"); }
    bool resDumpDiff() const { return flag("presdump"); }
    bool twindiff() const { return flag("ptwindiff"); }
    Value tempTextDirPath() const { return options_ ? options_->get("tmp_txt_path") : Value(); }
    bool summaryTwindiff() const { return flag("psummarydiff"); }
    bool checkXMLsyntax() const { return flag("check_xml"); }
    Value targetLanguageForLytObjectIdList() const { return options_ ? options_->get("oidlist") : Value(); }
    bool printResMapOnlyChange() const { return flag("prmap"); }
    bool filterResMap() const { return flag("frmap"); }

    // Cache and file services.
    std::string cacheFileNameForLyt(const std::string& lytPath, const std::string& extension) const;
    static void createParentDirectory(const std::string& path);
    static bool CreateEmptyFile(const std::string& path);
    static bool xmlFile(const std::string& path);
    static bool zentelHoardGlossaryFile(const std::string& path);

protected:
    bool hasMode(int m) const;

private:
    std::string entityName_;
    DictRef obj1_;
    DictRef obj2_;
    std::string obj1_parDirAbolute_, obj1_parDirRelative_, obj1_parDirRelative_fromParam_, obj1_fileName_;
    std::string obj2_parDirAbolute_, obj2_parDirRelative_, obj2_parDirRelative_fromParam_, obj2_fileName_;
    std::string lyttoolPath_;
    std::shared_ptr<PrintCenter> pCenter_;
    DictRef options_;
    std::shared_ptr<RunContext> run_;
    bool lytToolExist_ = false;
    std::uint8_t* buffer1_ = nullptr;
    std::uint8_t* buffer2_ = nullptr;
};

// The layout dump tool's cache root: $XDG_CACHE_HOME/LocCache/lyt, by default
// ~/.cache/LocCache/lyt.
std::string layoutCacheRoot();
// The directory holding the running program.
std::string runningProgramDirectory();

}  // namespace lcv
