# ZARELO_SANITIZE=address,undefined or thread instruments every target.
if(ZARELO_SANITIZE)
    add_compile_options(-fsanitize=${ZARELO_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${ZARELO_SANITIZE})
endif()
