# System dependencies, all from Debian packages (see scripts/install-deps.sh).
find_package(PkgConfig REQUIRED)
pkg_check_modules(GUMBO REQUIRED IMPORTED_TARGET gumbo)
find_package(ICU REQUIRED COMPONENTS uc i18n data)
find_package(Threads REQUIRED)

find_path(STEMMER_INCLUDE_DIR libstemmer.h REQUIRED)
find_library(STEMMER_LIBRARY stemmer REQUIRED)
add_library(lvt_dep_stemmer INTERFACE)
target_include_directories(lvt_dep_stemmer SYSTEM INTERFACE ${STEMMER_INCLUDE_DIR})
target_link_libraries(lvt_dep_stemmer INTERFACE ${STEMMER_LIBRARY})

# The ANTLR 2 runtime ships only static archives; the -pic one can go into a
# shared library. Its headers warn under -Wextra, so they are system headers.
find_path(ANTLR_INCLUDE_DIR antlr/CharScanner.hpp REQUIRED)
find_library(ANTLR_LIBRARY NAMES libantlr-pic.a antlr-pic REQUIRED)
add_library(lvt_dep_antlr INTERFACE)
target_include_directories(lvt_dep_antlr SYSTEM INTERFACE ${ANTLR_INCLUDE_DIR})
target_link_libraries(lvt_dep_antlr INTERFACE ${ANTLR_LIBRARY})

find_package(GTest)
find_package(benchmark)
