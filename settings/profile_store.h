#pragma once
// Named values by section and key, kept either in an INI file (when one is set) or in the registry
// below rootKey\registryPath\<section>. Nothing is cached: every read opens the file or key, and
// every change to an INI file rewrites the whole file through its ".bak" copy.

#include <cstdint>

namespace gb {

class IniFileIo;

class ProfileStore {
public:
    static constexpr int ValueCapacity = 32000;
    static constexpr int NameLimit = 260; // names of this length or more are refused

    // Codes held in lastError.
    static constexpr std::int32_t Ok = 0;
    static constexpr std::int32_t NoRegistryPath = -1;
    static constexpr std::int32_t SectionNotFound = -2;
    static constexpr std::int32_t KeyNotFound = -3;
    static constexpr std::int32_t WrongType = -4;
    static constexpr std::int32_t NoIniFile = -5;
    static constexpr std::int32_t CannotRead = -6;
    static constexpr std::int32_t CannotWrite = -7;
    static constexpr std::int32_t CannotReadBackup = -8;
    static constexpr std::int32_t CannotRename = -9;
    static constexpr std::int32_t CannotDeleteValue = -10;
    static constexpr std::int32_t CannotDeleteTree = -11;
    static constexpr std::int32_t NotWritable = -12;

    explicit ProfileStore(const char* iniFile = nullptr, const char* sectionName = nullptr);
    ProfileStore(const char* registryBase, const char* registrySub, const char* sectionName);
    virtual ~ProfileStore() = default;
    ProfileStore(const ProfileStore&) = delete;
    ProfileStore& operator=(const ProfileStore&) = delete;

    bool SetIniFile(const char* name);
    // As SetIniFile, but the name is taken exactly as given, without ".ini" appended: for a file
    // that must be written where it is read, whatever its extension (the definition file).
    bool SetIniFileExact(const char* name);
    // Reads the INI file as the definition loader reads it: a Ctrl-Z ends its text. Lookups look
    // no further, and a new section goes in before the Ctrl-Z, where that reader finds it; the
    // bytes from the Ctrl-Z on stay as they are. Off by default: the settings store reads on.
    void SetCtrlZEndsText(bool on) { ctrlZEndsText_ = on; }
    const char* GetIniFile() const { return iniPath; }
    int GetIniFile(char* buffer, int capacity) const;
    bool IniFileExists(const char* name = nullptr) const;
    bool SetSection(const char* name);
    int GetSection(char* buffer, int capacity) const;
    void SetRootKey(std::uint32_t key) { rootKey = key; }
    std::uint32_t GetRootKey() const { return rootKey; }
    bool SetRegistryPath(const char* base, const char* sub);
    const char* GetRegistryPath() const { return registryPath; }
    int GetRegistryPath(char* buffer, int capacity) const;

    // A null section means the current one throughout.
    std::int32_t GetInt(const char* sectionName, const char* key, std::int32_t fallback);
    std::uint32_t GetInt(const char* sectionName, const char* key, std::uint32_t fallback);
    bool SetInt(const char* sectionName, const char* key, std::int32_t value);
    bool SetInt(const char* sectionName, const char* key, std::uint32_t value);
    bool GetBool(const char* sectionName, const char* key, bool fallback);
    bool SetBool(const char* sectionName, const char* key, bool value);
    // `buffer` holds capacity + 1 bytes.
    int GetString(const char* sectionName, const char* key, char* buffer, int capacity,
                  const char* fallback);
    // Points into resultBuffer, which the next call of this form overwrites.
    const char* GetString(const char* sectionName, const char* key, const char* fallback);
    bool SetString(const char* sectionName, const char* key, const char* value);
    int GetBinary(const char* sectionName, const char* key, void* buffer, int capacity,
                  const void* fallback);
    bool SetBinary(const char* sectionName, const char* key, const void* data, int length);
    bool DeleteKey(const char* sectionName, const char* key);
    bool DeleteSection(const char* sectionName);
    int EnumSections(int index, const char* pattern, char* buffer, int capacity);
    int EnumKeys(int index, const char* sectionName, const char* pattern, char* buffer,
                 int capacity);

    // "?" one character, "*" any run. Negative: no match; otherwise the first matched position in
    // the low 12 bits and the last one above them.
    static std::int32_t MatchPattern(const char* name, int length, const char* pattern,
                                     bool caseSensitive);
    static std::int32_t MatchPattern(const char* name, const char* pattern, bool caseSensitive);

    // Replaces the file operations of the INI backend; null restores the C library's.
    void SetFileIo(IniFileIo* io);

    std::uint8_t writable;
    std::int32_t lastError;
    char valueBuffer[ValueCapacity + 1];
    std::uint32_t rootKey;
    std::uint8_t deleteBackup;
    char iniPath[264];
    std::uint32_t sectionLine;
    std::uint32_t keyLine;
    char section[NameLimit];
    char registryPath[NameLimit];
    char resultBuffer[ValueCapacity + 1];

private:
    enum class Rewrite {
        Insert,
        Replace,
        DeleteKey,
        DeleteSection,
        // A new section and its entry, put in before the file's first Ctrl-Z.
        SectionBeforeTextEnd
    };

    bool iniMode() const { return iniPath[0] != '\0'; }
    bool setIniPath(const char* name, bool nameRule);
    const char* sectionOr(const char* sectionName) const;
    bool setValueText(const char* sectionName, const char* key, const char* text);
    int getValueText(const char* sectionName, const char* key, char* buffer, int capacity);

    // INI backend (profile_store_ini.cpp).
    int iniLookup(const char* sectionName, const char* key, const char* pattern, int index,
                  char* buffer, int capacity);
    bool iniWrite(const char* sectionName, const char* key, const char* value);
    bool iniAppendSection(const char* sectionName, const char* key, const char* value);
    bool iniRewrite(const char* key, const char* value, Rewrite mode, std::uint32_t line,
                    const char* sectionName = nullptr);
    bool iniDeleteKey(const char* sectionName, const char* key);
    bool iniDeleteSection(const char* sectionName);
    int iniEnumSections(int index, const char* pattern, char* buffer, int capacity);

    // Registry backend (profile_store_registry.cpp).
    bool sectionKeyPath(const char* sectionName, char* path, int capacity) const;
    int regRead(const char* sectionName, const char* key, std::uint32_t* type);
    bool regWrite(const char* sectionName, const char* key, std::uint32_t type, const void* data,
                  std::uint32_t size);
    std::int32_t regGetDword(const char* sectionName, const char* key, std::int32_t fallback);
    int regGetString(const char* sectionName, const char* key, char* buffer, int capacity);
    int regGetBinary(const char* sectionName, const char* key, void* buffer, int capacity);
    bool regDeleteKey(const char* sectionName, const char* key);
    bool regDeleteSection(const char* sectionName);
    int regEnumSections(int index, const char* pattern, char* buffer, int capacity);
    int regEnumKeys(int index, const char* sectionName, const char* pattern, char* buffer,
                    int capacity);

    IniFileIo* fileIo;
    bool ctrlZEndsText_ = false;
    // The last lookup ended at a Ctrl-Z (only while ctrlZEndsText_ is set).
    bool textEndSeen_ = false;
};

} // namespace gb
