# The Debian package: `cpack -G DEB` in the build directory makes
# vortel_<version>_<arch>.deb. It holds the four programs, stripped (the
# self-check covers only what the loader maps, so stripping does not alter
# vortel), their Italian manual pages and the documentation files Debian
# asks for, gzipped as Debian policy wants them.
#
# Plain `cmake --install` installs the "tree" component (the manual pages
# uncompressed, see CMakeLists.txt) besides the binary; the package takes
# the "deb" component instead, which plain installs leave out.
find_program(GZIP_PROGRAM gzip)
set(deb_staging ${CMAKE_CURRENT_BINARY_DIR}/deb-files)
add_custom_command(
  OUTPUT ${deb_staging}/vortel.1.gz ${deb_staging}/vortel-importa.1.gz
         ${deb_staging}/vortel-lotto.1.gz ${deb_staging}/vortel-valuta.1.gz
         ${deb_staging}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${deb_staging}
  COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/man/vortel.1
          > ${deb_staging}/vortel.1.gz
  COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/man/vortel-importa.1
          > ${deb_staging}/vortel-importa.1.gz
  COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/man/vortel-lotto.1
          > ${deb_staging}/vortel-lotto.1.gz
  COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/man/vortel-valuta.1
          > ${deb_staging}/vortel-valuta.1.gz
  COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog
          > ${deb_staging}/changelog.gz
  DEPENDS man/vortel.1 man/vortel-importa.1 man/vortel-lotto.1
          man/vortel-valuta.1
          packaging/changelog
  COMMENT "Compressing the manual page and the changelog for the package")
add_custom_target(deb_files ALL DEPENDS ${deb_staging}/vortel.1.gz
                                        ${deb_staging}/vortel-importa.1.gz
                                        ${deb_staging}/vortel-lotto.1.gz
                                        ${deb_staging}/vortel-valuta.1.gz
                                        ${deb_staging}/changelog.gz)

# In man1 as well as it/man1: man looks in it/ only where an Italian locale
# is set and generated, and both programs speak only Italian, so without
# the man1 copy "man vortel" would find nothing in the C locale.
foreach(section man1 it/man1)
  install(FILES ${deb_staging}/vortel.1.gz ${deb_staging}/vortel-importa.1.gz
                ${deb_staging}/vortel-lotto.1.gz
                ${deb_staging}/vortel-valuta.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/${section} COMPONENT deb
          EXCLUDE_FROM_ALL)
endforeach()
install(FILES ${deb_staging}/changelog.gz packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT deb EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vortel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Unspecified deb)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME vortel)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "il gruppo di sviluppo di VORTEL <vortel@example.org>")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "sudoku solver, converter, collection checker and difficulty rater")
# The summary above is the synopsis; this is the paragraph below it. Both
# say what the programs are for in the words people search with.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Command-line tools for the 9x9 sudoku puzzle, with messages and manual
pages in Italian. vortel solves a puzzle given as a text file of (row,
column, digit) triples: it checks the givens, fills in what candidate
elimination and hidden singles decide, and completes the board by
backtracking; it can print the first solution or every solution to a
file, or count all solutions. vortel-importa converts sudoku puzzles
shared as lists of 81-character lines, drawn grids or vortel's own boards
into vortel's format, or into one line a puzzle. vortel-lotto solves,
checks for a unique solution or counts whole sudoku collections in one
process on every core, one answer line per puzzle, in input order.
vortel-valuta rates the difficulty of sudoku puzzles on the scale solvers
quote, shows the steps of the rating and gives the next step as a hint.")
include(CPack)
