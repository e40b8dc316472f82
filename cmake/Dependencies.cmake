# System dependencies, all from Debian packages (see scripts/install-deps.sh).
find_package(PkgConfig REQUIRED)
pkg_check_modules(GUMBO REQUIRED IMPORTED_TARGET gumbo)
find_package(ICU REQUIRED COMPONENTS uc i18n data)
find_package(Threads REQUIRED)
find_package(Boost 1.74 REQUIRED)  # headers only: nothing is linked
find_path(STEMMER_INCLUDE_DIR libstemmer.h REQUIRED)
find_library(STEMMER_LIBRARY stemmer REQUIRED)

# The command is linked statically where the static archives are at hand: a
# process per page is how it is used, and the dynamic loader's work (symbol
# lookup, relocations, the pages of six shared libraries faulted in) was
# most of a small job's time and of its resident memory. The layers take
# their system libraries through the lvt_dep_* wrappers below, which give
# the archive to any target with the LUMIVANT_STATIC_LINK property and the
# shared library to every other one. Sanitizers need the dynamic runtime.
find_library(GUMBO_STATIC_LIBRARY NAMES libgumbo.a HINTS ${GUMBO_LIBRARY_DIRS})
find_library(ICU_UC_STATIC_LIBRARY NAMES libicuuc.a)
find_library(ICU_DATA_STATIC_LIBRARY NAMES libicudata.a)
find_library(STEMMER_STATIC_LIBRARY NAMES libstemmer.a)
if(GUMBO_STATIC_LIBRARY AND ICU_UC_STATIC_LIBRARY AND ICU_DATA_STATIC_LIBRARY
   AND STEMMER_STATIC_LIBRARY AND NOT LUMIVANT_SANITIZE)
  set(lumivant_static_default ON)
else()
  set(lumivant_static_default OFF)
endif()
option(LUMIVANT_STATIC_CLI "Link the lumivant command statically" ${lumivant_static_default})

# lumivant_dependency(NAME SHARED STATIC...): the wrapper NAME, which links
# the target SHARED, or the archives STATIC for a target linked statically.
function(lumivant_dependency name shared)
  set(static_link $<BOOL:$<TARGET_PROPERTY:LUMIVANT_STATIC_LINK>>)
  add_library(${name} INTERFACE)
  target_link_libraries(${name} INTERFACE $<$<NOT:${static_link}>:${shared}>)
  foreach(archive ${ARGN})
    target_link_libraries(${name} INTERFACE $<${static_link}:${archive}>)
  endforeach()
endfunction()

lumivant_dependency(lvt_dep_gumbo PkgConfig::GUMBO ${GUMBO_STATIC_LIBRARY})
target_include_directories(lvt_dep_gumbo SYSTEM INTERFACE ${GUMBO_INCLUDE_DIRS})
lumivant_dependency(lvt_dep_icu_uc ICU::uc ${ICU_UC_STATIC_LIBRARY} ${CMAKE_DL_LIBS})
lumivant_dependency(lvt_dep_icu_data ICU::data ${ICU_DATA_STATIC_LIBRARY})
lumivant_dependency(lvt_dep_stemmer ${STEMMER_LIBRARY} ${STEMMER_STATIC_LIBRARY})
target_include_directories(lvt_dep_stemmer SYSTEM INTERFACE ${STEMMER_INCLUDE_DIR})

# lumivant_link_statically(TARGET): TARGET, an executable, takes the archives.
function(lumivant_link_statically target)
  if(LUMIVANT_STATIC_CLI)
    set_target_properties(${target} PROPERTIES LUMIVANT_STATIC_LINK ON)
    target_link_options(${target} PRIVATE -static)
  endif()
endfunction()

# Boost's containers, for short lists kept inside their records.
add_library(lvt_dep_boost INTERFACE)
target_link_libraries(lvt_dep_boost INTERFACE Boost::headers)

# The ANTLR 2 runtime ships only static archives; the -pic one can go into a
# shared library. Its headers warn under -Wextra, so they are system headers.
find_path(ANTLR_INCLUDE_DIR antlr/CharScanner.hpp REQUIRED)
find_library(ANTLR_LIBRARY NAMES libantlr-pic.a antlr-pic REQUIRED)
add_library(lvt_dep_antlr INTERFACE)
target_include_directories(lvt_dep_antlr SYSTEM INTERFACE ${ANTLR_INCLUDE_DIR})
target_link_libraries(lvt_dep_antlr INTERFACE ${ANTLR_LIBRARY})

find_package(GTest)
find_package(benchmark)
