# zoz_module(<target> [DEPS <targets or libraries>...])
# One static library per folder, made of every .cpp/.c file in it.
function(zoz_module target)
  cmake_parse_arguments(Z "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  add_library(${target} STATIC ${srcs})
  target_link_libraries(${target} PUBLIC ${Z_DEPS})
  set_property(GLOBAL APPEND PROPERTY ZOZ_ALL_MODULES ${target})
endfunction()
