# ZARELO_SANITIZE=address,undefined or thread instruments every target.
if(ZARELO_SANITIZE)
    add_compile_options(-fsanitize=${ZARELO_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${ZARELO_SANITIZE})
endif()
# Fuzz builds: every library gets coverage instrumentation, so that the fuzz
# targets are guided through the readers they link, not only their own file.
if(ZARELO_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
