# The Windows program, included by src/app/CMakeLists.txt after the target kinetrace:
#   kinetrace.exe  the GUI program: no console window from Explorer or a drop on its icon
#   kinetrace.com  the same program as a console program, which cmd.exe and PowerShell run
#                  for "kinetrace" before the .exe (PATHEXT), so --print prints there
# Both carry the icon (resource 128) and the version resource, and link every library
# statically, so that they need only the DLLs of Windows.
set(KT_ICON ${PROJECT_SOURCE_DIR}/packaging/windows/kinetrace.ico)
foreach(kind exe com)
  set(KT_PROGRAM_FILE kinetrace.${kind})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/kinetrace.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/kinetrace-${kind}.rc @ONLY)
endforeach()

add_executable(kinetrace_console main.cpp)
set_target_properties(kinetrace_console PROPERTIES OUTPUT_NAME kinetrace SUFFIX .com
                      RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
target_sources(kinetrace PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/kinetrace-exe.rc)
target_sources(kinetrace_console PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/kinetrace-com.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/kinetrace-exe.rc
                            ${CMAKE_CURRENT_BINARY_DIR}/kinetrace-com.rc
                            PROPERTIES OBJECT_DEPENDS ${KT_ICON})
target_link_options(kinetrace PRIVATE -mwindows)
target_link_options(kinetrace_console PRIVATE -mconsole)
foreach(program kinetrace kinetrace_console)
  target_link_libraries(${program} PRIVATE kt_app)
  if(TARGET kt_backend_win32)
    target_link_libraries(${program} PRIVATE kt_backend_win32)
    target_compile_definitions(${program} PRIVATE KINETRACE_HAS_WIN32_WINDOW)
  endif()
  target_link_options(${program} PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
  add_dependencies(${program} kinetrace_font)
endforeach()
