/* The parent project's own program named engine. */
int main(void)
{
    return 0;
}
