/* The floor of loading a scene file: the whole file read into memory of its
 * own, as a program that keeps it would. One read() per megabyte into one
 * malloc'ed block of the file's size, then one byte of each page summed, so
 * that no page is left untouched and nothing is skipped.
 *
 *   read_into_memory FILE
 *
 * Prints the file's size and the sum; exit code 1 when the file cannot be read. */
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: read_into_memory FILE\n");
    return 2;
  }
  int fd = open(argv[1], O_RDONLY);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0) {
    perror(argv[1]);
    return 1;
  }
  size_t size = (size_t)info.st_size;
  unsigned char* block = malloc(size > 0 ? size : 1);
  if (!block) {
    fprintf(stderr, "read_into_memory: %zu bytes could not be allocated\n", size);
    return 1;
  }
  size_t done = 0;
  while (done < size) {
    size_t want = size - done < (1u << 20) ? size - done : (1u << 20);
    ssize_t got = read(fd, block + done, want);
    if (got <= 0) {
      perror(argv[1]);
      return 1;
    }
    done += (size_t)got;
  }
  close(fd);
  uint64_t sum = 0;
  for (size_t k = 0; k < size; k += 4096) sum += block[k];
  printf("%zu bytes, page sum %llu\n", size, (unsigned long long)sum);
  free(block);
  return 0;
}
