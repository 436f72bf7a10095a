# The end-to-end tests run kelvo-sim and kelvo-cli as separate processes, found through
# their build paths; the JSON mapping is tested directly in the CLI's library.
target_link_libraries(${name} PRIVATE kelvo_cli)
target_compile_definitions(${name} PRIVATE
    KELVO_CLI_PATH="$<TARGET_FILE:kelvo-cli>"
    KELVO_SIM_PATH="$<TARGET_FILE:kelvo-sim>")
add_dependencies(${name} kelvo-cli kelvo-sim)
