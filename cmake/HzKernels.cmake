# The SIMD forms of a target's kernels: each source is built for its own
# instruction set and its kernels are called only where the processor has
# that set (the target's list of forms says which, through
# platform/types/FastPaths.h). Away from x86 the sources are left out, and
# so is HZ_X86_KERNELS, which tells the lists to leave out their forms.
#
# hz_add_kernels(<target> [SSE2 <source>...] [AVX2 <source>...]
#                [AVX512BW <source>...] [AVX512VBMI <source>...])
# AVX512VBMI sources may also use AVX2, AVX-512 BW and VL.
set(HZ_X86 OFF)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|i.86)$")
  set(HZ_X86 ON)
endif()

set(HZ_KERNEL_FLAGS_SSE2 -msse2)
set(HZ_KERNEL_FLAGS_AVX2 -mavx2)
set(HZ_KERNEL_FLAGS_AVX512BW -mavx512bw)
set(HZ_KERNEL_FLAGS_AVX512VBMI -mavx2 -mavx512bw -mavx512vl -mavx512vbmi)

function(hz_add_kernels target)
  set(sets SSE2 AVX2 AVX512BW AVX512VBMI)
  cmake_parse_arguments(K "" "" "${sets}" ${ARGN})
  if(K_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "hz_add_kernels: no instruction set named for ${K_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT HZ_X86)
    return()
  endif()
  foreach(set IN LISTS sets)
    if(K_${set})
      target_sources(${target} PRIVATE ${K_${set}})
      set_source_files_properties(${K_${set}} PROPERTIES
                                  COMPILE_OPTIONS "${HZ_KERNEL_FLAGS_${set}}")
    endif()
  endforeach()
  target_compile_definitions(${target} PRIVATE HZ_X86_KERNELS)
endfunction()
