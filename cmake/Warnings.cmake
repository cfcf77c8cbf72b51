# Warnings are errors in every build of the project's own code.
add_compile_options(-Wall -Wextra -Werror -Wno-missing-field-initializers)
