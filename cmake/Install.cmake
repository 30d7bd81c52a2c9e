# Installing Macro_SC into a prefix, and the Debian package of the same.
#
#   PREFIX/lib/libmacro_sc.so.1            the engine (SONAME from the project's major version)
#   PREFIX/lib/libmacro_sc_simulator.so.1  the simulated controller: the default host
#   PREFIX/include/macro_sc/*.h            macro_sc.h, host.h, simulator.h
#   PREFIX/bin/macro-sc                    the tool
#   PREFIX/lib/cmake/MacroSC/              find_package(MacroSC): MacroSC::macro_sc, MacroSC::simulator
#   PREFIX/lib/pkgconfig/                  macro_sc.pc, macro_sc_simulator.pc
#   PREFIX/lib/python3/dist-packages/      the Python module, when built (python/)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(macro_sc PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
set_target_properties(msc_simulator PROPERTIES OUTPUT_NAME macro_sc_simulator EXPORT_NAME simulator
                      VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
target_include_directories(macro_sc INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_include_directories(msc_simulator INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
# The engine leaves the host library functions and AnyType to its host; the
# installed simulator brings the engine with it, so that linking it alone is
# a complete default host. In the tree the tool and the tests link the
# engine archive instead.
set_property(TARGET msc_simulator APPEND PROPERTY INTERFACE_LINK_LIBRARIES
             $<INSTALL_INTERFACE:MacroSC::macro_sc>)

# The tool finds the libraries beside it in any prefix.
file(RELATIVE_PATH MSC_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(macro-sc PROPERTIES INSTALL_RPATH "$ORIGIN/${MSC_BIN_TO_LIB}")

install(TARGETS macro_sc msc_simulator EXPORT MacroSCTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development)
install(TARGETS macro-sc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES include/macro_sc/macro_sc.h include/macro_sc/host.h simulator/simulator.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/macro_sc)

set(MSC_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/MacroSC)
install(EXPORT MacroSCTargets NAMESPACE MacroSC:: DESTINATION ${MSC_CMAKE_DIR})
configure_package_config_file(cmake/MacroSCConfig.cmake.in ${PROJECT_BINARY_DIR}/MacroSCConfig.cmake
                              INSTALL_DESTINATION ${MSC_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/MacroSCConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/MacroSCConfig.cmake ${PROJECT_BINARY_DIR}/MacroSCConfigVersion.cmake
        DESTINATION ${MSC_CMAKE_DIR})

file(RELATIVE_PATH MSC_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" MSC_PC_TO_PREFIX "${MSC_PC_TO_PREFIX}")
foreach(pc macro_sc macro_sc_simulator)
  configure_file(cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# cpack -G DEB: one package of everything above.
set(CPACK_PACKAGE_NAME macro-sc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Macro_SC")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Macro engine of a machine-vision controller, with a simulated controller and the macro-sc tool")
set(CPACK_PACKAGE_CONTACT "Macro_SC developers <macro-sc@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Shared-library dependencies are found by dpkg-shlibdeps; the Python module
# links no libpython, so its interpreter is named here.
if(MSC_PYTHON_DEB_DEPENDS)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${MSC_PYTHON_DEB_DEPENDS}")
endif()
include(CPack)
