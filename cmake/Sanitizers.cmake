# LAUNCHER_SANITIZE selects the sanitizers of the whole build: the debug
# preset uses AddressSanitizer with UndefinedBehaviorSanitizer, the tsan preset
# ThreadSanitizer. The fuzz preset adds libFuzzer's coverage hooks everywhere;
# only the fuzzer executables link libFuzzer's main.
if(LAUNCHER_SANITIZE)
  set(_flags "")
  foreach(s IN LISTS LAUNCHER_SANITIZE)
    list(APPEND _flags "-fsanitize=${s}")
  endforeach()
  list(APPEND _flags -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_compile_options(${_flags})
  add_link_options(${_flags})
endif()
if(LAUNCHER_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
