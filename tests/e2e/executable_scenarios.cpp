// The shipped file itself: what it imports, its version block, its icon and its size.
// Read from the file, so the same checks serve the x86-64 and the i386 build.
#include "tests/e2e/driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct PeImports {
    WORD machine = 0;
    std::vector<std::string> imports;
    std::vector<std::string> delayImports;
    std::string error;  // empty when the file was read as a PE image
};

std::vector<BYTE> ReadWholeFile(const std::wstring& path) {
    std::vector<BYTE> data;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return data;
    }
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    data.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!data.empty() && (!ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr) ||
                          read != data.size())) {
        data.clear();
    }
    CloseHandle(file);
    return data;
}

template <typename T>
bool ReadAt(const std::vector<BYTE>& file, size_t offset, T* value) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) {
        return false;
    }
    memcpy(value, file.data() + offset, sizeof(T));
    return true;
}

// The file offset of a relative virtual address, through the section table.
bool RvaToOffset(const std::vector<BYTE>& file,
                 size_t sections,
                 WORD sectionCount,
                 DWORD rva,
                 size_t* offset) {
    for (WORD i = 0; i < sectionCount; ++i) {
        IMAGE_SECTION_HEADER section;
        if (!ReadAt(file, sections + i * sizeof(section), &section)) {
            return false;
        }
        DWORD extent = section.Misc.VirtualSize > section.SizeOfRawData ? section.Misc.VirtualSize
                                                                        : section.SizeOfRawData;
        if (rva >= section.VirtualAddress && rva - section.VirtualAddress < extent) {
            *offset = section.PointerToRawData + (rva - section.VirtualAddress);
            return *offset < file.size();
        }
    }
    return false;
}

bool ReadName(const std::vector<BYTE>& file, size_t offset, std::string* name) {
    name->clear();
    for (size_t at = offset; at < file.size(); ++at) {
        if (file[at] == 0) {
            return true;
        }
        name->push_back(static_cast<char>(file[at]));
    }
    return false;
}

// The DLL names of the import and delay-import directories of a PE32 or PE32+ file.
PeImports ReadImports(const std::vector<BYTE>& file) {
    PeImports result;
    IMAGE_DOS_HEADER dos;
    DWORD signature = 0;
    if (!ReadAt(file, 0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
        !ReadAt(file, static_cast<size_t>(dos.e_lfanew), &signature) || signature != IMAGE_NT_SIGNATURE) {
        result.error = "no PE signature";
        return result;
    }
    size_t fileHeaderAt = static_cast<size_t>(dos.e_lfanew) + sizeof(DWORD);
    IMAGE_FILE_HEADER header;
    WORD magic = 0;
    size_t optionalAt = fileHeaderAt + sizeof(header);
    if (!ReadAt(file, fileHeaderAt, &header) || !ReadAt(file, optionalAt, &magic)) {
        result.error = "truncated headers";
        return result;
    }
    result.machine = header.Machine;
    size_t sections = optionalAt + header.SizeOfOptionalHeader;
    IMAGE_DATA_DIRECTORY directories[IMAGE_NUMBEROF_DIRECTORY_ENTRIES] = {};
    DWORD directoryCount = 0;
    ULONGLONG imageBase = 0;
    if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        IMAGE_OPTIONAL_HEADER64 optional;
        if (!ReadAt(file, optionalAt, &optional)) {
            result.error = "truncated optional header";
            return result;
        }
        directoryCount = optional.NumberOfRvaAndSizes;
        imageBase = optional.ImageBase;
        memcpy(directories, optional.DataDirectory, sizeof(directories));
    } else if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        IMAGE_OPTIONAL_HEADER32 optional;
        if (!ReadAt(file, optionalAt, &optional)) {
            result.error = "truncated optional header";
            return result;
        }
        directoryCount = optional.NumberOfRvaAndSizes;
        imageBase = optional.ImageBase;
        memcpy(directories, optional.DataDirectory, sizeof(directories));
    } else {
        result.error = "unknown optional header";
        return result;
    }

    if (directoryCount > IMAGE_DIRECTORY_ENTRY_IMPORT &&
        directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress) {
        size_t at = 0;
        if (!RvaToOffset(file, sections, header.NumberOfSections,
                         directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress, &at)) {
            result.error = "import directory outside the sections";
            return result;
        }
        for (;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            IMAGE_IMPORT_DESCRIPTOR descriptor;
            if (!ReadAt(file, at, &descriptor)) {
                result.error = "truncated import directory";
                return result;
            }
            if (descriptor.Name == 0 && descriptor.FirstThunk == 0) {
                break;
            }
            size_t nameAt = 0;
            std::string name;
            if (!RvaToOffset(file, sections, header.NumberOfSections, descriptor.Name, &nameAt) ||
                !ReadName(file, nameAt, &name)) {
                result.error = "unreadable import name";
                return result;
            }
            result.imports.push_back(name);
        }
    }
    if (directoryCount > IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT &&
        directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress) {
        size_t at = 0;
        if (!RvaToOffset(file, sections, header.NumberOfSections,
                         directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress, &at)) {
            result.error = "delay-import directory outside the sections";
            return result;
        }
        for (;; at += 32) {
            DWORD attributes = 0;
            DWORD nameRva = 0;
            if (!ReadAt(file, at, &attributes) || !ReadAt(file, at + 4, &nameRva)) {
                result.error = "truncated delay-import directory";
                return result;
            }
            if (nameRva == 0) {
                break;
            }
            // Old-style descriptors hold addresses, not relative ones.
            if ((attributes & 1) == 0) {
                nameRva = static_cast<DWORD>(nameRva - imageBase);
            }
            size_t nameAt = 0;
            std::string name;
            if (!RvaToOffset(file, sections, header.NumberOfSections, nameRva, &nameAt) ||
                !ReadName(file, nameAt, &name)) {
                result.error = "unreadable delay-import name";
                return result;
            }
            result.delayImports.push_back(name);
        }
    }
    return result;
}

bool SameNameIgnoringCase(const std::string& a, const char* b) {
    return _stricmp(a.c_str(), b) == 0;
}

bool Contains(const std::vector<std::string>& names, const char* name) {
    for (const std::string& entry : names) {
        if (SameNameIgnoringCase(entry, name)) {
            return true;
        }
    }
    return false;
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904E4\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || value == nullptr) {
        return L"<missing>";
    }
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == 0) {
        text.pop_back();
    }
    return text;
}

std::wstring ThisProgramPath() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

}  // namespace

// Only the system DLLs: a clean Windows must run the program without anything else.
I386_SCENARIO(executable_imports_and_version) {
    std::vector<BYTE> file = ReadWholeFile(TargetPath());
    REQUIRE(!file.empty());
    Note("file size: %zu bytes", file.size());
    CHECK(file.size() <= 65536);

    PeImports target = ReadImports(file);
    REQUIRE(target.error.empty());
    CHECK_EQ(IsI386Target() ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64, target.machine);
    const char* const allowed[] = {"USER32.dll",  "GDI32.dll",    "ADVAPI32.dll",
                                   "SHELL32.dll", "KERNEL32.dll", "msvcrt.dll"};
    for (const std::string& name : target.imports) {
        bool known = false;
        for (const char* permitted : allowed) {
            known = known || SameNameIgnoringCase(name, permitted);
        }
        if (!known) {
            FAIL("imports a DLL that is not a system one: " + name);
        }
    }
    CHECK(Contains(target.imports, "KERNEL32.dll"));
    CHECK(Contains(target.imports, "USER32.dll"));
    CHECK(target.delayImports.empty());

    // The same reader finds what the driver imports beyond the system set, so an empty
    // or cut list above is not a reader that sees nothing.
    PeImports driver = ReadImports(ReadWholeFile(ThisProgramPath()));
    CHECK(driver.error.empty());
    CHECK(Contains(driver.imports, "VERSION.dll"));
    CHECK(Contains(driver.imports, "ntdll.dll"));

    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(TargetPath().c_str(), &handle);
    REQUIRE(size != 0);
    std::vector<BYTE> block(size);
    REQUIRE(GetFileVersionInfoW(TargetPath().c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    REQUIRE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedLength));
    REQUIRE(fixed != nullptr && fixedLength >= sizeof(VS_FIXEDFILEINFO));
    CHECK_EQ(0xFEEF04BD, fixed->dwSignature);
    CHECK_EQ(0x00010001, fixed->dwFileVersionMS);  // 1.1
    CHECK_EQ(0x00000000, fixed->dwFileVersionLS);
    CHECK_EQ(VFT_APP, fixed->dwFileType);

    DWORD* translation = nullptr;
    UINT translationLength = 0;
    REQUIRE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                           reinterpret_cast<void**>(&translation), &translationLength));
    REQUIRE(translation != nullptr && translationLength >= 4);
    CHECK_EQ(0x04E40409, translation[0]);  // US English, code page 1252: the table 040904E4
    CHECK_TEXT(L"Nuvelo 現在の壁紙", VersionString(block, L"FileDescription"));
    CHECK_TEXT(IsI386Target() ? L"1.10 (w32)" : L"1.10 (x64)", VersionString(block, L"ProductVersion"));
    CHECK_TEXT(L"1.1.0.0", VersionString(block, L"FileVersion"));

    // The window classes and the tray load the group "Icon": a square image for each of
    // the small and large sizes of 100 % to 200 %.
    HMODULE image = LoadLibraryExW(TargetPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(image != nullptr);
    HRSRC group = FindResourceW(image, L"Icon", RT_GROUP_ICON);
    if (CHECK(group != nullptr)) {
        const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
        DWORD length = SizeofResource(image, group);
        // GRPICONDIR: reserved, type, count; then 14-byte entries that start with width, height.
        if (CHECK(directory != nullptr && length >= 6)) {
            WORD count = 0;
            memcpy(&count, directory + 4, sizeof(count));
            std::vector<int> sizes;
            for (WORD i = 0; i < count && 6 + 14u * (i + 1) <= length; ++i) {
                CHECK_EQ(directory[6 + 14 * i], directory[7 + 14 * i]);
                sizes.push_back(directory[6 + 14 * i]);
            }
            std::sort(sizes.begin(), sizes.end());
            CHECK(sizes == std::vector<int>({16, 20, 24, 32, 48}));
        }
    }
    FreeLibrary(image);
}
