# Compiler and linker flags for every tree.
add_compile_options(-Wall -Wextra -Werror)

if(VELK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VELK_WINDOWS)
  # Windows XP-era API level: the installer targets 9x and NT 4 to XP.
  add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600 WIN32_LEAN_AND_MEAN NOMINMAX)
endif()

if(VELK_TREE STREQUAL "host-release")
  # What users run: no symbols.
  add_link_options(-s)
endif()

if(VELK_PRODUCT_ONLY)
  # setup.exe carries the whole engine and its cabinet must start before byte 262,128:
  # every byte of code counts.
  # No run-time type information: the type descriptions of every polymorphic class are bytes
  # the program never reads (exceptions keep what they need). No locks around the first use of
  # function-local statics: the engine's are first used on the main thread, before the install
  # worker exists.
  add_compile_options(-Os -ffunction-sections -fdata-sections
                      "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${PROJECT_SOURCE_DIR}/cmake/ProductPrelude.h>"
                      $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti> $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>)
  add_link_options(-Wl,--gc-sections -s)
endif()

# Size budget: the cabinet of a package must begin within the first 262,128 bytes.
set(VELK_SETUP_SIZE_LIMIT 262128)
