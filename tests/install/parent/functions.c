/* The parent project's own library named functions. */
int parent_function(void);

int parent_function(void)
{
    return 0;
}
