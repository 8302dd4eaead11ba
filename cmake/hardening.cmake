# The hardening a Debian build gives its programs: a read-only relocation table bound at
# start (no lazy binding to overwrite), checked string and memory calls, stack guards.
add_link_options(-Wl,-z,relro -Wl,-z,now)
add_compile_options(-fstack-protector-strong -fstack-clash-protection)
# Fortified calls need the optimiser; a debug build would only warn about it.
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
