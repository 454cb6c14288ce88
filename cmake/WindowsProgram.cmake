# Cross build: VORNAPX.exe, the package folder dist/VORNAPX and its zip, and
# the programs the end-to-end tests run inside Wine.
set(WIN_SOURCES
  app/DriverSetupApp.cpp
  app/Globals.cpp
  app/SelectOsDlg.cpp
  app/main.cpp
  framework/AppMessage.cpp
  framework/Controls.cpp
  framework/Dialog.cpp
  install/Win32InstallOps.cpp
  pages/AboutDlg.cpp
  pages/CreatePortDlg.cpp
  pages/DetailSettingDlg.cpp
  pages/SelectPortDlg.cpp
  spooler/Spooler.cpp
  resources/VORNAPX.rc
)

# Static runtime: the program needs no DLL beyond the system's own.
set(STATIC_LINK -static -static-libgcc -static-libstdc++ -s)

add_executable(VORNAPX WIN32 ${CORE_SOURCES} ${WIN_SOURCES})
target_include_directories(VORNAPX PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(VORNAPX PRIVATE WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600)
target_compile_options(VORNAPX PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${VORNAPX_WARNINGS} -Os -ffunction-sections -fdata-sections>)
target_link_options(VORNAPX PRIVATE ${STATIC_LINK} -Wl,--gc-sections)
target_link_libraries(VORNAPX PRIVATE comctl32 winspool shell32 user32 gdi32 advapi32)
set_source_files_properties(resources/VORNAPX.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/VORNAPX.ico)

# The package folder users get, at the top of the tree.
set(VORNAPX_DIST_ROOT ${CMAKE_SOURCE_DIR}/dist CACHE PATH "Where the package folder and its zip go")
set(DIST ${VORNAPX_DIST_ROOT}/VORNAPX)

# Stand-in driver files: DLLs built for each architecture and text files,
# each naming the file it stands for.
set(STANDIN_DLLS ZR1.DLL Z106.DLL ZR2.DLL ZR3.DLL uniDRVui.DLL uniDRV.DLL UNIRES.DLL RDRPLUG.dll)
set(STANDIN_OUTPUTS)
foreach(arch x86 x64)
  if(arch STREQUAL "x86")
    set(cc i686-w64-mingw32-gcc)
  else()
    set(cc x86_64-w64-mingw32-gcc)
  endif()
  set(dir "${DIST}/Printer Driver/${arch}")
  file(MAKE_DIRECTORY "${dir}")
  foreach(dll ${STANDIN_DLLS})
    # The configuration module is loaded by the spooler and must answer it.
    if(dll STREQUAL "uniDRVui.DLL")
      set(src ${CMAKE_SOURCE_DIR}/package/standin_config_dll.c)
    else()
      set(src ${CMAKE_SOURCE_DIR}/package/standin_dll.c)
    endif()
    add_custom_command(OUTPUT "${dir}/${dll}"
      COMMAND ${cc} -shared -Wl,--kill-at -O2 -s -Wall -Wextra -Werror "-DSTANDIN_NAME=\"${dll}\"" "-DSTANDIN_ARCH=\"${arch}\""
              -o "${dir}/${dll}" ${src}
      DEPENDS ${src} VERBATIM)
    list(APPEND STANDIN_OUTPUTS "${dir}/${dll}")
  endforeach()
  foreach(n RANGE 101 117)
    string(SUBSTRING ${n} 1 2 nn)
    file(WRITE "${dir}/Z1${nn}.GPD"
      "*% VORNAPX stand-in GPD for ZRT-${n} (${arch})\n*GPDSpecVersion: \"1.0\"\n*ModelName: \"ZRT-${n}\"\n")
  endforeach()
  file(WRITE "${dir}/TTFSUB.GPD" "*% VORNAPX stand-in TTFSUB.GPD (${arch})\n")
  file(WRITE "${dir}/STDNAMES.GPD" "*% VORNAPX stand-in STDNAMES.GPD (${arch})\n")
  file(WRITE "${dir}/UNIDRV.HLP" "VORNAPX stand-in UNIDRV.HLP (${arch})\n")
  file(WRITE "${dir}/RDRPLUG.ini" "; VORNAPX stand-in RDRPLUG.ini (${arch})\n[OEMFiles]\nOEMDriverFile1=RDRPLUG.dll\n")
endforeach()

# Stand-ins for the Driver Package Installer programs.
set(DPINST_SRC ${CMAKE_SOURCE_DIR}/package/dpinst_standin.c)
foreach(entry "USB Driver/x86/dpinstx86.exe|i686-w64-mingw32-gcc"
              "USB Driver/x64/dpinstx64.exe|x86_64-w64-mingw32-gcc"
              "USBdriver/x86/dpinst.exe|i686-w64-mingw32-gcc")
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 rel)
  list(GET parts 1 cc)
  get_filename_component(reldir "${rel}" DIRECTORY)
  file(MAKE_DIRECTORY "${DIST}/${reldir}")
  add_custom_command(OUTPUT "${DIST}/${rel}"
    COMMAND ${cc} -municode -mwindows -O2 -s -Wall -Werror -static -o "${DIST}/${rel}" ${DPINST_SRC}
    DEPENDS ${DPINST_SRC} VERBATIM)
  list(APPEND STANDIN_OUTPUTS "${DIST}/${rel}")
endforeach()

add_custom_command(OUTPUT ${DIST}/VORNAPX.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:VORNAPX> ${DIST}/VORNAPX.exe
  DEPENDS VORNAPX VERBATIM)
add_custom_target(package ALL DEPENDS ${DIST}/VORNAPX.exe ${STANDIN_OUTPUTS})

add_custom_target(zip
  COMMAND ${CMAKE_COMMAND} -E tar cf ${VORNAPX_DIST_ROOT}/VORNAPX.zip --format=zip VORNAPX
  WORKING_DIRECTORY ${VORNAPX_DIST_ROOT}
  DEPENDS package VERBATIM)

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/probe/probe.cpp)
  add_executable(probe tests/e2e/probe/probe.cpp)
  target_compile_options(probe PRIVATE ${VORNAPX_WARNINGS})
  target_link_options(probe PRIVATE ${STATIC_LINK})
  target_link_libraries(probe PRIVATE comctl32 winspool user32 gdi32 advapi32 psapi)
endif()
