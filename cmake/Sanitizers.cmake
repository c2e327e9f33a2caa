# AddressSanitizer and UndefinedBehaviorSanitizer, or ThreadSanitizer, for the whole build, every target
# included. The fuzz targets need the first two, so QUIRVEL_FUZZ turns them on.
if(QUIRVEL_FUZZ AND NOT QUIRVEL_SANITIZE)
  message(STATUS "QUIRVEL_FUZZ needs the sanitizers: QUIRVEL_SANITIZE is turned on")
  set(QUIRVEL_SANITIZE ON)
endif()
if(QUIRVEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(QUIRVEL_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Our own code that the fuzz targets link is compiled with libFuzzer's coverage instrumentation (edge
# counters and comparison tracing), so that the fuzzers are guided by what our code does with each
# input; without it they only see the few edges of the target's own file. The system's codec libraries
# are used as they come. In programs without libFuzzer the sanitizer runtime supplies the hooks as no-ops.
function(quirvel_fuzz_coverage target)
  if(QUIRVEL_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# Source-based coverage (llvm-cov) for every target, for measuring what a fuzz corpus reaches.
option(QUIRVEL_COVERAGE "Instrument for llvm-cov source coverage (clang only)" OFF)
if(QUIRVEL_COVERAGE)
  add_compile_options(-fprofile-instr-generate -fcoverage-mapping)
  add_link_options(-fprofile-instr-generate)
endif()
