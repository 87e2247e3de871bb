# The release checks: what a user downloads is what the other tiers tested, the same
# bytes come out of any checkout, and the executables carry the flags that Windows'
# binary checks look for.
#
# Included from cmake/native.cmake, this file registers the tests; each test runs this
# same file in script mode (cmake -DCHECK=<name> -P cmake/release_tests.cmake).

if(NOT CMAKE_SCRIPT_MODE_FILE)
    set(release_script ${CMAKE_CURRENT_LIST_FILE})
    set(release_exes -DEXE64=${NUVELO_WIN64_DIR}/Nuvelo.exe -DEXE32=${NUVELO_WIN32_DIR}/Nuvelo.exe)
    add_test(NAME release.headers
        COMMAND ${CMAKE_COMMAND} -DCHECK=headers ${release_exes} -DSOURCE=${CMAKE_SOURCE_DIR} -P ${release_script})
    # Two program-only builds of each architecture from two copies of the tree in
    # folders of different names and lengths.
    add_test(NAME release.reproducible
        COMMAND ${CMAKE_COMMAND} -DCHECK=reproducible ${release_exes}
            -DSOURCE=${CMAKE_SOURCE_DIR} -DWORK=${CMAKE_BINARY_DIR}/release -P ${release_script})
    add_test(NAME release.windows_commands
        COMMAND ${CMAKE_COMMAND} -DCHECK=windows_commands ${release_exes}
            -DSOURCE=${CMAKE_SOURCE_DIR} -DWORK=${CMAKE_BINARY_DIR}/release -P ${release_script})
    add_test(NAME release.package
        COMMAND ${CMAKE_COMMAND} -DCHECK=package ${release_exes} -DVERSION=${PROJECT_VERSION}
            -DSOURCE=${CMAKE_SOURCE_DIR} -DWORK=${CMAKE_BINARY_DIR}/release -P ${release_script})
    set_tests_properties(release.headers PROPERTIES LABELS release TIMEOUT 30)
    # The builds take both cores: nothing timed may run beside them.
    set_tests_properties(release.reproducible PROPERTIES LABELS release TIMEOUT 180 RUN_SERIAL ON)
    set_tests_properties(release.windows_commands PROPERTIES LABELS release TIMEOUT 120 RUN_SERIAL ON)
    set_tests_properties(release.package PROPERTIES LABELS release TIMEOUT 60 RUN_SERIAL ON)
    return()
endif()

# ---- script mode ----

function(fail)
    string(JOIN "" text ${ARGV})
    message(FATAL_ERROR "${text}")
endfunction()

# out = the little-endian unsigned number of `size` bytes at `offset` of `file`.
function(read_le out file offset size)
    math(EXPR offset "${offset}")
    file(READ ${file} hex OFFSET ${offset} LIMIT ${size} HEX)
    string(LENGTH "${hex}" length)
    math(EXPR wanted "${size} * 2")
    if(NOT length EQUAL wanted)
        fail("${file}: ends before byte ${offset} + ${size}")
    endif()
    set(value "")
    math(EXPR last "${wanted} - 2")
    foreach(at RANGE 0 ${last} 2)
        string(SUBSTRING "${hex}" ${at} 2 byte)
        set(value "${byte}${value}")
    endforeach()
    math(EXPR value "0x${value}")
    set(${out} ${value} PARENT_SCOPE)
endfunction()

function(check_headers exe machine wanted_names)
    if(NOT EXISTS ${exe})
        fail("${exe} does not exist: build the win64 and win32 presets first")
    endif()
    read_le(magic ${exe} 0 2)
    if(NOT magic EQUAL 0x5a4d)
        fail("${exe}: not an executable")
    endif()
    read_le(pe ${exe} 60 4)
    read_le(signature ${exe} ${pe} 4)
    read_le(file_machine ${exe} ${pe}+4 2)
    if(NOT signature EQUAL 0x4550 OR NOT file_machine EQUAL machine)
        fail("${exe}: not a PE file for machine ${machine}")
    endif()
    read_le(stamp ${exe} ${pe}+8 4)
    read_le(characteristics ${exe} ${pe}+22 2)
    math(EXPR optional "${pe} + 24")
    read_le(optional_magic ${exe} ${optional} 2)
    read_le(dll ${exe} ${optional}+70 2)
    if(optional_magic EQUAL 0x20b)
        math(EXPR directories "${optional} + 112")
    else()
        math(EXPR directories "${optional} + 96")
    endif()
    read_le(relocations ${exe} ${directories}+44 4)

    set(DYNAMIC_BASE 0x0040)
    set(HIGH_ENTROPY_VA 0x0020)
    set(NX_COMPAT 0x0100)
    set(TERMINAL_SERVER_AWARE 0x8000)
    set(missing "")
    foreach(name ${wanted_names})
        math(EXPR bit "${dll} & ${${name}}")
        if(bit EQUAL 0)
            list(APPEND missing ${name})
        endif()
    endforeach()
    math(EXPR dll_hex "${dll}" OUTPUT_FORMAT HEXADECIMAL)
    message(STATUS "${exe}: DllCharacteristics ${dll_hex}, relocations ${relocations} bytes, time stamp ${stamp}")
    if(missing)
        fail("${exe}: DllCharacteristics ${dll_hex} lacks ${missing}")
    endif()
    # A random base needs the relocations: a linker that strips them leaves the flag
    # set and the program loaded at its fixed address (or not at all).
    math(EXPR stripped "${characteristics} & 0x0001")
    if(relocations EQUAL 0 OR NOT stripped EQUAL 0)
        fail("${exe}: DYNAMIC_BASE without a .reloc section")
    endif()
    if(NOT stamp EQUAL 0)
        fail("${exe}: the header carries a link time (${stamp}); builds would differ")
    endif()
endfunction()

# out = the names of the DLLs that `exe` imports, as the cross toolchain's objdump lists
# them (it reads both architectures).
function(imported_dlls out exe)
    execute_process(COMMAND x86_64-w64-mingw32-objdump -p ${exe} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        fail("x86_64-w64-mingw32-objdump -p ${exe} failed")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
    list(TRANSFORM lines REPLACE "DLL Name: " "")
    set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# The tree without its builds, as a fresh checkout has it.
function(copy_tree source copy)
    file(REMOVE_RECURSE ${copy})
    file(MAKE_DIRECTORY ${copy})
    file(GLOB entries RELATIVE ${source} ${source}/* ${source}/.*)
    list(REMOVE_ITEM entries build dist .git .cache)
    foreach(entry ${entries})
        file(COPY ${source}/${entry} DESTINATION ${copy})
    endforeach()
endfunction()

# Runs one command of a build in `folder`; fails with its output.
function(run_build folder)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${folder}
        OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        string(JOIN " " command ${ARGN})
        fail("${command} in ${folder} failed:\n${log}")
    endif()
endfunction()

# The presets' two executables and their SHA-256, as `<arch> <hash>` lines in `out`.
function(build_copy out source copy)
    copy_tree(${source} ${copy})
    set(hashes "")
    foreach(preset win64 win32)
        run_build(${copy} ${CMAKE_COMMAND} --preset ${preset} -DNUVELO_BUILD_TESTS=OFF)
        run_build(${copy} ${CMAKE_COMMAND} --build --preset ${preset} --target Nuvelo -j2)
        file(SHA256 ${copy}/build/${preset}/Nuvelo.exe hash)
        list(APPEND hashes "${preset} ${hash}")
    endforeach()
    set(${out} "${hashes}" PARENT_SCOPE)
endfunction()

if(CHECK STREQUAL "headers")
    check_headers(${EXE64} 0x8664 "DYNAMIC_BASE;NX_COMPAT;HIGH_ENTROPY_VA;TERMINAL_SERVER_AWARE")
    check_headers(${EXE32} 0x014c "DYNAMIC_BASE;NX_COMPAT;TERMINAL_SERVER_AWARE")
    # The x86-64 program was brought to 36 KiB; following the picture on Windows 8 and
    # later (the image cache, the registry's change signal) took it to 36.5 KiB, drawing
    # at the screen's density (the manifest, the DPI code, five icon sizes) and the
    # picture of the window's own monitor to 41 KiB; the right size and picture on two
    # monitors of different scale, the small waiter thread and the DLLs from System32 to
    # 42.5 KiB, the English texts beside the Japanese ones to 45 KiB, the picture's three
    # menu items (COM looked up at run time, the clipboard) to 47.5 KiB; the monitor taken
    # at the window's anchor, the menu that waits for nothing, "start at sign-in" (the Run
    # value and Task Manager's switch) and the move to the Recycle Bin (the shell's file
    # operation with its progress sink, the older call beside it, the question) to 53 KiB;
    # Windows Spotlight's titles (the JSON reader of its registry value) to 57 KiB. Imports
    # that repeated one already there and functions without a section each of their own
    # brought it back to 55.5 KiB.
    # A flag or a record that puts it above 55.5 KiB should be a decision, not an accident.
    file(SIZE ${EXE64} size64)
    if(size64 GREATER 56832)
        fail("${EXE64} is ${size64} bytes, more than 55.5 KiB")
    endif()
    # Both programs declare per-monitor awareness (what Windows 10 reads) and still
    # import only what they did: the DPI functions newer than Windows 7 are looked up
    # at run time, so shcore.dll must not appear.
    foreach(exe ${EXE64} ${EXE32})
        file(STRINGS ${exe} awareness REGEX "<dpiAwareness[^>]*>PerMonitorV2, PerMonitor</dpiAwareness>")
        if(NOT awareness)
            fail("${exe}: no manifest with PerMonitorV2 awareness")
        endif()
        imported_dlls(dlls ${exe})
        if(NOT dlls STREQUAL "ADVAPI32.dll;GDI32.dll;KERNEL32.dll;msvcrt.dll;SHELL32.dll;USER32.dll")
            string(JOIN " " shown ${dlls})
            fail("${exe} imports ${shown}")
        endif()
    endforeach()
    # A DLL named without its folder is looked for beside the program first: every load
    # of the program's own goes through LoadSystemLibrary, by its full System32 path.
    file(GLOB_RECURSE sources ${SOURCE}/app/*.cpp ${SOURCE}/base/*.h ${SOURCE}/wallpaper/*.cpp ${SOURCE}/window/*.cpp)
    foreach(source ${sources})
        file(STRINGS ${source} bare REGEX "LoadLibrary(Ex)?W\\(L\"")
        if(bare)
            fail("${source} loads a DLL by a bare name: ${bare}")
        endif()
    endforeach()
elseif(CHECK STREQUAL "reproducible")
    build_copy(first ${SOURCE} ${WORK}/one)
    build_copy(second ${SOURCE} ${WORK}/copy-two-in-a-longer-folder)
    file(SHA256 ${EXE64} tested64)
    file(SHA256 ${EXE32} tested32)
    set(tested "win64 ${tested64};win32 ${tested32}")
    foreach(i 0 1)
        list(GET first ${i} a)
        list(GET second ${i} b)
        list(GET tested ${i} c)
        message(STATUS "${WORK}/one: ${a}")
        message(STATUS "${WORK}/copy-two-in-a-longer-folder: ${b}")
        message(STATUS "the tested build: ${c}")
        if(NOT a STREQUAL b)
            fail("two builds of the same tree differ: ${a} and ${b}")
        endif()
        if(NOT a STREQUAL c)
            fail("the tested executable differs from a fresh build: ${c}, fresh ${a}")
        endif()
    endforeach()
    file(REMOVE_RECURSE ${WORK}/one ${WORK}/copy-two-in-a-longer-folder)
elseif(CHECK STREQUAL "windows_commands")
    # The README's "Building on Windows", word for word but for the generator (MinGW
    # Makefiles exists only on Windows) and the cross compiler standing in for the
    # native one: no toolchain file, no preset.
    set(copy ${WORK}/windows-commands)
    copy_tree(${SOURCE} ${copy})
    run_build(${copy} ${CMAKE_COMMAND} -S . -B build -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=MinSizeRel
        -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix
        -DCMAKE_RC_COMPILER=x86_64-w64-mingw32-windres)
    run_build(${copy} ${CMAKE_COMMAND} --build build --target Nuvelo)
    file(SHA256 ${copy}/build/Nuvelo.exe built)
    file(SHA256 ${EXE64} tested)
    message(STATUS "built by the README's commands: ${built}; the tested build: ${tested}")
    if(NOT built STREQUAL tested)
        fail("the README's commands build another x86-64 program than the win64 preset")
    endif()
    file(REMOVE_RECURSE ${copy})
elseif(CHECK STREQUAL "package")
    # Two runs into two folders: the zips must come out byte for byte the same.
    foreach(run dist dist-again)
        file(REMOVE_RECURSE ${WORK}/${run})
        execute_process(COMMAND ${CMAKE_COMMAND} -E env NUVELO_DIST=${WORK}/${run}
                bash ${SOURCE}/scripts/package
            OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
            fail("scripts/package failed:\n${log}")
        endif()
    endforeach()
    message(STATUS "${log}")
    file(GLOB_RECURSE made RELATIVE ${WORK}/dist ${WORK}/dist/*)
    # The winget set is named after the package identifier, which may be set from outside.
    if(NOT made MATCHES "^Nuvelo-${VERSION}-x64\\.zip;Nuvelo-${VERSION}-x86\\.zip;SHA256SUMS;nuvelo\\.json;winget/[^;/]+\\.installer\\.yaml;winget/[^;/]+\\.locale\\.en-US\\.yaml;winget/[^;/]+\\.yaml$")
        fail("dist holds ${made}")
    endif()
    foreach(name ${made})
        file(SHA256 ${WORK}/dist/${name} a)
        file(SHA256 ${WORK}/dist-again/${name} b)
        if(NOT a STREQUAL b)
            fail("two runs of scripts/package give two different ${name}")
        endif()
    endforeach()
    execute_process(COMMAND sha256sum -c SHA256SUMS WORKING_DIRECTORY ${WORK}/dist
        OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        fail("sha256sum -c SHA256SUMS:\n${log}")
    endif()
    # The manifests as winget and Scoop read them: each parses, carries what its
    # package manager requires, and names each zip by its address and its own SHA-256.
    set(check_manifests [=[
import glob, hashlib, json, sys, yaml
dist, v = sys.argv[1], sys.argv[2]
def zip_ok(url, digest, arch, tag=v):
    assert url.startswith("https://") and url.endswith(f"/v{tag}/Nuvelo-{tag}-{arch}.zip"), url
    assert tag != v or digest.lower() == hashlib.sha256(open(f"{dist}/Nuvelo-{v}-{arch}.zip", "rb").read()).hexdigest()
ident = glob.glob(f"{dist}/winget/*.installer.yaml")[0].split("/")[-1][:-15]
w = [yaml.safe_load(open(f"{dist}/winget/{ident}{kind}yaml")) for kind in (".", ".locale.en-US.", ".installer.")]
for m, kind, required in zip(w, ("version", "defaultLocale", "installer"), ("DefaultLocale",
        "PackageLocale Publisher PackageName License ShortDescription", "InstallerType")):
    assert (m["PackageIdentifier"], str(m["PackageVersion"]), m["ManifestType"], m["ManifestVersion"]) == (ident, v, kind, "1.12.0")
    assert all(m.get(key) for key in required.split()), m
assert (w[2]["InstallerType"], w[2]["NestedInstallerType"]) == ("zip", "portable")
assert w[2]["NestedInstallerFiles"] == [{"RelativeFilePath": "Nuvelo.exe", "PortableCommandAlias": "nuvelo"}]
assert [i["Architecture"] for i in w[2]["Installers"]] == ["x64", "x86"]
for i in w[2]["Installers"]:
    zip_ok(i["InstallerUrl"], i["InstallerSha256"], i["Architecture"])
s = json.load(open(f"{dist}/nuvelo.json"))
assert s["version"] == v and all(s.get(k) for k in ("description", "homepage", "license", "bin", "shortcuts", "checkver"))
for bits, arch in (("64bit", "x64"), ("32bit", "x86")):
    zip_ok(s["architecture"][bits]["url"], s["architecture"][bits]["hash"], arch)
    zip_ok(s["autoupdate"]["architecture"][bits]["url"], "", arch, "$version")
print(ident, "and nuvelo.json: parsed, complete, the zips' hashes")
]=])
    execute_process(COMMAND python3 -c "${check_manifests}" ${WORK}/dist ${VERSION}
        OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        fail("the manifests in ${WORK}/dist:\n${log}")
    endif()
    message(STATUS "${log}")

    foreach(zip_exe "x64;${EXE64}" "x86;${EXE32}")
        list(GET zip_exe 0 arch)
        list(GET zip_exe 1 exe)
        set(zip ${WORK}/dist/Nuvelo-${VERSION}-${arch}.zip)
        set(out ${WORK}/unzipped-${arch})
        file(REMOVE_RECURSE ${out})
        file(MAKE_DIRECTORY ${out})
        execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${out}
            RESULT_VARIABLE rc)
        file(GLOB_RECURSE inside RELATIVE ${out} ${out}/*)
        if(NOT rc EQUAL 0 OR NOT inside STREQUAL "LICENSE.txt;Nuvelo.exe;README.txt")
            fail("${zip} holds ${inside}, not LICENSE.txt, Nuvelo.exe and README.txt")
        endif()
        # What a user downloads is what the other tiers tested.
        file(SHA256 ${out}/Nuvelo.exe a)
        file(SHA256 ${exe} b)
        if(NOT a STREQUAL b)
            fail("${zip}: Nuvelo.exe differs from ${exe}")
        endif()
        # The texts are for Notepad: ASCII, CR LF line ends (looked at in hex: with
        # every CR LF pair gone, no CR, LF or byte above 0x7f may be left).
        foreach(name LICENSE.txt README.txt)
            file(READ ${out}/${name} hex HEX)
            string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
            string(REPLACE "0d 0a " "" bare "${bytes}")
            if(bare MATCHES "(^| )(0[ad]|[89a-f].) ")
                fail("${zip}: ${name} is not ASCII text with CR LF line ends")
            endif()
        endforeach()
        file(READ ${out}/LICENSE.txt license)
        file(READ ${SOURCE}/LICENSE tree_license)
        string(REPLACE "\r\n" "\n" license "${license}")
        file(READ ${out}/README.txt text)
        if(NOT license STREQUAL tree_license OR NOT text MATCHES "^Nuvelo ${VERSION} for [0-9]+-bit Windows\r?\n")
            fail("${zip}: LICENSE.txt is not the tree's LICENSE, or README.txt not headed by the version")
        endif()
    endforeach()
    file(REMOVE_RECURSE ${WORK}/dist-again ${WORK}/unzipped-x64 ${WORK}/unzipped-x86)
else()
    fail("CHECK must be headers, reproducible, windows_commands or package")
endif()
