# zoz_tea_resources(<target> <output dir> <xml files>...): enciphers each XML file into
# <output dir>/<name>.tea with the tea tool; <target> (built by default) makes them all.
function(zoz_tea_resources target outdir)
  file(MAKE_DIRECTORY ${outdir})
  set(outputs)
  foreach(xml IN LISTS ARGN)
    get_filename_component(name ${xml} NAME_WE)
    set(out ${outdir}/${name}.tea)
    add_custom_command(OUTPUT ${out}
      COMMAND tea encrypt ${xml} ${out}
      DEPENDS tea ${xml}
      COMMENT "Enciphering ${name}.tea")
    list(APPEND outputs ${out})
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()
