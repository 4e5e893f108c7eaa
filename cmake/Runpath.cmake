# RUNPATHs free of empty entries. When a binary's build and installed RUNPATHs differ, CMake
# pads the build one with colons so that installing can rewrite it in place, and an empty entry
# makes the loader search the current directory. So every binary is linked once with a RUNPATH
# that serves both trees (the build tree's stage is laid out as an installation is), and
# installing leaves it as it is. The Debian packages drop it (cmake/DebianStage.cmake).
function(utility_runpath target runpath)
  set_target_properties(${target} PROPERTIES BUILD_WITH_INSTALL_RPATH ON INSTALL_RPATH "${runpath}")
endfunction()
