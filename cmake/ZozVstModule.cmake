# zoz_vst_module(<target> <file name> SOURCES <files>... DEPS <targets>...): a VST2 plug-in module
# (<file name>.so) that exports only its entry, VSTPluginMain, and main as its alias.
function(zoz_vst_module target file_name)
  cmake_parse_arguments(Z "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${target} MODULE ${Z_SOURCES})
  target_link_libraries(${target} PRIVATE ${Z_DEPS})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${file_name}
                        CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_link_options(${target} PRIVATE
    -Wl,--version-script=${CMAKE_SOURCE_DIR}/platform/vst2/exports.map -Wl,--no-undefined)
endfunction()
